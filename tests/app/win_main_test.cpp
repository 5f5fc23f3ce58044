#include <algorithm>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "app/shell.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"

namespace {

TEST(WinMain, RunsUntilQuitAndReturnsZero) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  win32::FakeClock clock(0, 1);
  win32::InjectClock(&clock);
  PostQuitMessage(0);  // taken by the first pass
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT), 0);
  win32::InjectClock(nullptr);

  EXPECT_EQ(gameState, Cover) << "one frame of the cover without Enter";
  EXPECT_NE(window, nullptr);
  DestroyWindow(window);  // its WM_DESTROY posts another quit: take it
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  UnregisterClassA(gameTitle, GetModuleHandleA(nullptr));
}

TEST(WinMain, WithoutADisplayFailsWithOneLine) {
  setenv("SDL_VIDEODRIVER", "no-such-display", 1);
  testing::internal::CaptureStderr();
  const int status = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
  const std::string printed = testing::internal::GetCapturedStderr();
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // for the tests that follow in this process
  EXPECT_EQ(status, 1);
  EXPECT_EQ(printed.rfind("mirefell: cannot open the game window", 0), 0u) << printed;
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
}

TEST(WinMain, WithNoDisplayAtAllFailsInsteadOfRunningUnseen) {
  // SDL would fall back to a screenless driver; the game must not run blind on it.
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::internal::CaptureStderr();
  const int status = WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
  const std::string printed = testing::internal::GetCapturedStderr();
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  EXPECT_EQ(status, 1);
  EXPECT_NE(printed.find("no display"), std::string::npos) << printed;
}

}  // namespace
