// The injected clock and key state reaching GetTickCount, Sleep and GetAsyncKeyState.
#include "platform/win32/input.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/win32/window.h"

namespace {

constexpr SHORT kDown = static_cast<SHORT>(0x8000);

TEST(FakeClock, MovesOnlyWhenReadOrSleptOn) {
  win32::FakeClock clock(100, 5);
  EXPECT_EQ(clock.Now(), 100u);
  EXPECT_EQ(clock.Now(), 105u);
  clock.Sleep(40);
  EXPECT_EQ(clock.Peek(), 150u);
  EXPECT_EQ(clock.SleepCalls(), 1);
  clock.Advance(10);
  EXPECT_EQ(clock.Now(), 160u);
}

TEST(FakeClock, WrapsAt32Bits) {
  win32::FakeClock clock(0xFFFFFFFEu, 1);
  clock.Sleep(3);
  EXPECT_EQ(clock.Now(), 1u);
}

TEST(InjectedClock, ServesTickCountAndSleepUntilRemoved) {
  win32::FakeClock clock(1000, 1);
  win32::InjectClock(&clock);
  EXPECT_EQ(GetTickCount(), 1000u);
  EXPECT_EQ(GetTickCount(), 1001u);
  Sleep(40);
  EXPECT_EQ(clock.Peek(), 1042u);
  EXPECT_EQ(clock.SleepCalls(), 1);

  win32::InjectClock(nullptr);
  GetTickCount();
  Sleep(0);
  EXPECT_EQ(clock.Peek(), 1042u);
  EXPECT_EQ(clock.SleepCalls(), 1);
}

TEST(InjectedClock, WindowMessagesDoNotReadIt) {
  win32::FakeClock clock(0, 1);
  win32::InjectClock(&clock);
  PostQuitMessage(0);
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
  win32::InjectClock(nullptr);
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(clock.Peek(), 0u);  // a frame loop counting reads is not thrown off
}

TEST(FakeKeys, HoldsKeysUntilReleased) {
  win32::FakeKeys keys;
  keys.Set(VK_SPACE, true);
  keys.Set(VK_LEFT, true);
  keys.Set(VK_LEFT, false);
  keys.Set(-1, true);
  keys.Set(256, true);
  EXPECT_TRUE(keys.IsDown(VK_SPACE));
  EXPECT_FALSE(keys.IsDown(VK_LEFT));
  EXPECT_FALSE(keys.IsDown(-1));
  EXPECT_FALSE(keys.IsDown(256));
  keys.ReleaseAll();
  EXPECT_FALSE(keys.IsDown(VK_SPACE));
}

TEST(InjectedKeys, ServeAsyncKeyStateUntilRemoved) {
  win32::FakeKeys keys;
  keys.Set(VK_RETURN, true);
  win32::InjectKeyState(&keys);
  EXPECT_EQ(GetAsyncKeyState(VK_RETURN), kDown);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  EXPECT_EQ(GetAsyncKeyState(-5), 0);
  EXPECT_EQ(GetAsyncKeyState(0x1000), 0);
  win32::InjectKeyState(nullptr);
  // The real keyboard, with no video running, has no key down.
  ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
}

}  // namespace
