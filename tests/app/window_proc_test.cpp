#include <cstdlib>

#include <gtest/gtest.h>

#include "app/shell.h"
#include "game/world.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"

namespace {

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_TRUE(CreateGameWindow(GetModuleHandleA(nullptr)));
  }
  void TearDown() override {
    DestroyWindow(window);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(gameTitle, GetModuleHandleA(nullptr));
    window = nullptr;
  }

  // The next message of the queue, WM_NULL when there is none.
  static UINT NextMessage() {
    MSG m;
    return PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE) ? m.message : WM_NULL;
  }
};

TEST_F(WindowProcTest, EscapePostsQuitOtherKeysDoNothing) {
  EXPECT_EQ(WindowProc(window, WM_KEYDOWN, 'A', 0), 0);
  EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_SPACE, 0), 0);
  EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_RETURN, 0), 0);
  EXPECT_EQ(NextMessage(), static_cast<UINT>(WM_NULL));

  EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(NextMessage(), WM_QUIT);
}

TEST_F(WindowProcTest, DestroyPostsQuit) {
  EXPECT_EQ(WindowProc(window, WM_DESTROY, 0, 0), 0);
  EXPECT_EQ(NextMessage(), WM_QUIT);
}

TEST_F(WindowProcTest, PaintValidatesTheWindow) {
  InvalidateRect(window, nullptr, FALSE);
  EXPECT_EQ(WindowProc(window, WM_PAINT, 0, 0), 0);
  EXPECT_EQ(NextMessage(), static_cast<UINT>(WM_NULL));
}

TEST_F(WindowProcTest, CloseGoesThroughTheDefaultToDestruction) {
  EXPECT_EQ(WindowProc(window, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(NextMessage(), WM_QUIT);
  RECT r;
  EXPECT_FALSE(GetClientRect(window, &r)) << "the window should be gone";
}

TEST_F(WindowProcTest, WindowIsThePopupOfTheScreenSize) {
  RECT r = {};
  ASSERT_TRUE(GetClientRect(window, &r));
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);
}

}  // namespace
