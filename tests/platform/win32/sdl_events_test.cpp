// SDL events pushed the way the display delivers them, read back as window messages.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/win32/window.h"
#include "tests/platform/win32/window_fixture.h"

namespace {

using win32_test::WindowTest;

constexpr LPARAM kScanCodeBits = 0xFF << 16;
constexpr LPARAM kExtendedBit = 1 << 24;
constexpr LPARAM kPreviousStateBit = 1 << 30;
constexpr LPARAM kTransitionBit = LPARAM{1} << 31;

void PushKey(HWND window, SDL_Scancode scancode, Uint32 type, bool repeat) {
  SDL_Event event{};
  event.key.type = type;
  event.key.windowID = SDL_GetWindowID(win32::SdlWindowOf(window));
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.scancode = scancode;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

TEST_F(WindowTest, KeyPressIsKeyDownWithItsVirtualKey) {
  HWND window = MakeWindow();
  const int keys[] = {VK_LEFT,   VK_UP,  VK_RIGHT, VK_DOWN,  VK_SPACE,   VK_RETURN,
                      VK_ESCAPE, VK_TAB, VK_BACK,  VK_SHIFT, VK_CONTROL, VK_MENU,
                      'A',       'Z',    '0',      '9',      VK_F1,      VK_F1 + 11};
  for (int key : keys) {
    ASSERT_TRUE(win32::SimulateKeyPress(window, key)) << key;
    const MSG message = Take();
    EXPECT_EQ(message.message, WM_KEYDOWN) << key;
    EXPECT_EQ(message.hwnd, window) << key;
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(key));
    EXPECT_EQ(message.lParam & 0xFFFF, 1) << "repeat count of " << key;
    EXPECT_EQ(message.lParam & (kPreviousStateBit | kTransitionBit), 0) << key;
  }
}

TEST_F(WindowTest, KeyMessagesCarryThePcScanCode) {
  HWND window = MakeWindow();
  win32::SimulateKeyPress(window, VK_ESCAPE);
  win32::SimulateKeyPress(window, VK_LEFT);
  EXPECT_EQ(Take().lParam & (kScanCodeBits | kExtendedBit), 0x01 << 16);
  EXPECT_EQ(Take().lParam & (kScanCodeBits | kExtendedBit), (0x4B << 16) | kExtendedBit);
}

TEST_F(WindowTest, BothKeysOfAPairGiveOneVirtualKey) {
  HWND window = MakeWindow();
  PushKey(window, SDL_SCANCODE_KP_ENTER, SDL_KEYDOWN, false);
  PushKey(window, SDL_SCANCODE_RSHIFT, SDL_KEYDOWN, false);
  PushKey(window, SDL_SCANCODE_RCTRL, SDL_KEYDOWN, false);
  PushKey(window, SDL_SCANCODE_RALT, SDL_KEYDOWN, false);
  const MSG enter = Take();
  EXPECT_EQ(enter.wParam, static_cast<WPARAM>(VK_RETURN));
  EXPECT_NE(enter.lParam & kExtendedBit, 0);
  EXPECT_EQ(Take().wParam, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_EQ(Take().wParam, static_cast<WPARAM>(VK_CONTROL));
  EXPECT_EQ(Take().wParam, static_cast<WPARAM>(VK_MENU));
}

TEST_F(WindowTest, RepeatAndReleaseSetTheStateBits) {
  HWND window = MakeWindow();
  PushKey(window, SDL_SCANCODE_SPACE, SDL_KEYDOWN, true);
  ASSERT_TRUE(win32::SimulateKeyRelease(window, VK_SPACE));
  const MSG repeat = Take();
  EXPECT_EQ(repeat.message, WM_KEYDOWN);
  EXPECT_EQ(repeat.lParam & (kPreviousStateBit | kTransitionBit), kPreviousStateBit);
  const MSG release = Take();
  EXPECT_EQ(release.message, WM_KEYUP);
  EXPECT_EQ(release.wParam, static_cast<WPARAM>(VK_SPACE));
  EXPECT_EQ(release.lParam & (kPreviousStateBit | kTransitionBit),
            kPreviousStateBit | kTransitionBit);
}

TEST_F(WindowTest, KeysWithoutAVirtualKeyAreIgnored) {
  HWND window = MakeWindow();
  PushKey(window, SDL_SCANCODE_F13, SDL_KEYDOWN, false);
  EXPECT_EQ(Take().message, WM_NULL);
  EXPECT_FALSE(win32::SimulateKeyPress(window, 0xE8));  // an unassigned virtual key
}

TEST_F(WindowTest, TranslatedKeyIsFollowedByItsCharacter) {
  HWND window = MakeWindow();
  win32::SimulateKeyPress(window, 'A');
  win32::SimulateKeyPress(window, 'B');
  const MSG keyA = Take();
  EXPECT_TRUE(TranslateMessage(&keyA));
  const MSG character = Take();
  EXPECT_EQ(character.message, WM_CHAR);
  EXPECT_EQ(character.wParam, static_cast<WPARAM>('a'));
  EXPECT_EQ(character.hwnd, window);
  EXPECT_EQ(character.lParam, keyA.lParam);
  EXPECT_EQ(Take().wParam, static_cast<WPARAM>('B'));
}

TEST_F(WindowTest, OnlyCharacterKeysTranslate) {
  HWND window = MakeWindow();
  const std::pair<int, WPARAM> typed[] = {{VK_RETURN, '\r'}, {VK_ESCAPE, 0x1B}, {VK_SPACE, ' '},
                                          {VK_BACK, 0x08},   {VK_TAB, '\t'},    {'7', '7'}};
  for (const auto& [key, character] : typed) {
    win32::SimulateKeyPress(window, key);
    const MSG down = Take();
    EXPECT_TRUE(TranslateMessage(&down)) << key;
    const MSG typedCharacter = Take();
    EXPECT_EQ(typedCharacter.message, WM_CHAR) << key;
    EXPECT_EQ(typedCharacter.wParam, character) << key;
  }
  win32::SimulateKeyPress(window, VK_LEFT);
  const MSG arrow = Take();
  EXPECT_FALSE(TranslateMessage(&arrow));
  win32::SimulateKeyRelease(window, 'A');
  const MSG release = Take();
  EXPECT_FALSE(TranslateMessage(&release));
  EXPECT_EQ(Take().message, WM_NULL);
}

TEST_F(WindowTest, CloseRequestEndsInDestroy) {
  HWND window = MakeWindow();
  reply = [](HWND handle, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(handle, message, wParam, lParam);
  };
  received.clear();
  ASSERT_TRUE(win32::SimulateCloseRequest(window));
  EXPECT_EQ(DispatchAll(), 2);
  EXPECT_EQ(ReceivedMessages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(win32::SdlWindowOf(window), nullptr);
}

TEST_F(WindowTest, QuitRequestClosesTheMainWindowOnce) {
  HWND main = MakeWindow();
  HWND other = MakeWindow();
  ASSERT_TRUE(win32::SimulateCloseRequest(nullptr));
  const MSG close = Take();
  EXPECT_EQ(close.message, WM_CLOSE);
  EXPECT_EQ(close.hwnd, main);
  // Closing a window and then quitting, as SDL does for the last window, closes once.
  win32::SimulateCloseRequest(other);
  win32::SimulateCloseRequest(nullptr);
  EXPECT_EQ(Take().hwnd, other);
  EXPECT_EQ(Take().message, WM_NULL);
}

TEST_F(WindowTest, ExposeAsksForPaint) {
  HWND window = MakeWindow();
  ASSERT_TRUE(win32::SimulateExpose(window));
  EXPECT_EQ(Take().message, WM_PAINT);
  ValidateRect(window, nullptr);
  EXPECT_EQ(Take().message, WM_NULL);
}

TEST_F(WindowTest, NothingIsSimulatedForAnInvalidWindow) {
  HWND window = MakeWindow();
  DestroyWindow(window);
  EXPECT_FALSE(win32::SimulateKeyPress(window, VK_SPACE));
  EXPECT_FALSE(win32::SimulateExpose(window));
  EXPECT_FALSE(win32::SimulateCloseRequest(window));
}

}  // namespace
