// The key table between SDL scancodes and virtual keys.
#include "platform/win32/sdl_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/window.h"

namespace {

TEST(KeyTable, EveryKeyTheGameNeedsHasAScancodeAndBack) {
  std::vector<int> keys = {VK_LEFT,   VK_UP,  VK_RIGHT, VK_DOWN,  VK_SPACE,   VK_RETURN,
                           VK_ESCAPE, VK_TAB, VK_BACK,  VK_SHIFT, VK_CONTROL, VK_MENU};
  for (int c = 'A'; c <= 'Z'; ++c) keys.push_back(c);
  for (int c = '0'; c <= '9'; ++c) keys.push_back(c);
  for (int n = 0; n < 12; ++n) keys.push_back(VK_F1 + n);
  for (int key : keys) {
    const win32::KeyInfo* info = win32::KeyOfVirtualKey(key);
    ASSERT_NE(info, nullptr) << key;
    EXPECT_EQ(win32::KeyOfScancode(info->scancode), info) << key;
    EXPECT_NE(info->pcScanCode, 0) << key;
  }
  EXPECT_EQ(win32::KeyOfVirtualKey('0')->scancode, SDL_SCANCODE_0);
  EXPECT_EQ(win32::KeyOfVirtualKey('1')->scancode, SDL_SCANCODE_1);
  EXPECT_EQ(win32::KeyOfVirtualKey(VK_F1 + 11)->scancode, SDL_SCANCODE_F12);
  EXPECT_EQ(win32::KeyOfVirtualKey('Q')->pcScanCode, 0x10);
}

TEST(KeyTable, EitherKeyOfAPairIsDown) {
  std::vector<Uint8> state(SDL_NUM_SCANCODES, 0);
  state[SDL_SCANCODE_RSHIFT] = 1;
  state[SDL_SCANCODE_KP_ENTER] = 1;
  const int size = static_cast<int>(state.size());
  EXPECT_TRUE(win32::IsVirtualKeyDown(VK_SHIFT, state.data(), size));
  EXPECT_TRUE(win32::IsVirtualKeyDown(VK_RETURN, state.data(), size));
  EXPECT_FALSE(win32::IsVirtualKeyDown(VK_CONTROL, state.data(), size));
  // A state shorter than the table reads no key beyond its end.
  EXPECT_FALSE(win32::IsVirtualKeyDown(VK_SHIFT, state.data(), SDL_SCANCODE_RSHIFT));
}

}  // namespace
