#include <gtest/gtest.h>

#include "platform/win32/window.h"
#include "tests/platform/win32/window_fixture.h"

namespace {

using win32_test::WindowTest;

TEST_F(WindowTest, PostedMessagesComeBeforeQuitAndQuitBeforePaint) {
  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  PostQuitMessage(3);
  PostMessageA(window, WM_USER + 1, 10, 20);
  PostMessageA(nullptr, WM_USER + 2, 0, 0);

  MSG first = Take();
  EXPECT_EQ(first.message, WM_USER + 1);
  EXPECT_EQ(first.hwnd, window);
  EXPECT_EQ(first.wParam, 10u);
  EXPECT_EQ(first.lParam, 20);
  EXPECT_EQ(Take().message, WM_USER + 2);
  MSG quit = {};
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(quit.message, WM_QUIT);
  EXPECT_EQ(quit.wParam, 3u);
  EXPECT_EQ(quit.hwnd, nullptr);
  EXPECT_EQ(Take().message, WM_PAINT);
}

TEST_F(WindowTest, PaintRepeatsUntilTheWholeWindowIsValidated) {
  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(Take().message, WM_PAINT);
  EXPECT_EQ(Take().message, WM_PAINT);
  const RECT part = {0, 0, 10, 10};
  ValidateRect(window, &part);
  EXPECT_EQ(Take().message, WM_PAINT);
  const RECT all = {0, 0, 320, 200};
  ValidateRect(window, &all);
  EXPECT_EQ(Take().message, WM_NULL);
  InvalidateRect(window, nullptr, TRUE);
  EXPECT_EQ(Take().message, WM_PAINT);
  ValidateRect(window, nullptr);
  EXPECT_EQ(Take().message, WM_NULL);
}

TEST_F(WindowTest, QuitIsTakenOnceAndOnlyWhenRemoved) {
  PostQuitMessage(0);
  MSG message = {};
  EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(Take().message, WM_QUIT);
  EXPECT_EQ(Take().message, WM_NULL);
}

TEST_F(WindowTest, NoRemoveLeavesTheMessageFirstInLine) {
  HWND window = MakeWindow();
  PostMessageA(window, WM_USER, 1, 0);
  PostMessageA(window, WM_USER, 2, 0);
  MSG message = {};
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_EQ(Take().wParam, 1u);
  EXPECT_EQ(Take().wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, WindowFilterTakesOnlyThatWindowsMessages) {
  HWND a = MakeWindow();
  HWND b = MakeWindow();
  ShowWindow(a, SW_SHOW);
  PostMessageA(a, WM_USER, 0, 0);
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostQuitMessage(0);

  EXPECT_EQ(Take(b).message, WM_USER + 2);
  EXPECT_EQ(Take(b).message, WM_NULL);  // neither the thread's messages nor a's paint
  EXPECT_EQ(Take(a).message, WM_USER);
  EXPECT_EQ(Take(a).message, WM_PAINT);
  EXPECT_EQ(Take().message, WM_USER + 1);
  EXPECT_EQ(Take().message, WM_QUIT);
}

TEST_F(WindowTest, RangeFilterSkipsOverOtherMessages) {
  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(window, WM_USER, 0, 0);
  PostQuitMessage(0);
  EXPECT_EQ(Take(nullptr, WM_USER, WM_USER).message, WM_USER);
  EXPECT_EQ(Take(nullptr, WM_USER, WM_USER).message, WM_NULL);
  EXPECT_EQ(Take(nullptr, WM_PAINT, WM_PAINT).message, WM_PAINT);
  EXPECT_EQ(Take(nullptr, WM_KEYDOWN, WM_CHAR).message, WM_KEYDOWN);
  EXPECT_EQ(Take().message, WM_QUIT);
}

TEST_F(WindowTest, PeekingAtAnInvalidWindowFails) {
  HWND window = MakeWindow();
  DestroyWindow(window);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_WINDOW_HANDLE});
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, MessagesForADestroyedWindowAreDropped) {
  HWND doomed = MakeWindow();
  HWND kept = MakeWindow();
  PostMessageA(doomed, WM_USER, 0, 0);
  PostMessageA(kept, WM_USER + 1, 0, 0);
  DestroyWindow(doomed);
  EXPECT_EQ(Take().message, WM_USER + 1);
  EXPECT_EQ(Take().message, WM_NULL);
}

TEST_F(WindowTest, DefaultCloseDestroysTheWindow) {
  HWND window = MakeWindow();
  received.clear();
  PostMessageA(window, WM_CLOSE, 0, 0);
  DispatchAll();
  EXPECT_EQ(ReceivedMessages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(win32::SdlWindowOf(window), nullptr);
}

TEST_F(WindowTest, DefaultPaintValidates) {
  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  received.clear();
  EXPECT_EQ(DispatchAll(), 1);
  EXPECT_EQ(ReceivedMessages(), std::vector<UINT>{WM_PAINT});
}

TEST_F(WindowTest, SendAndDispatchReturnTheProceduresAnswer) {
  HWND window = MakeWindow();
  reply = [](HWND, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
    return message == WM_USER ? static_cast<LRESULT>(wParam * 2) : 0;
  };
  EXPECT_EQ(SendMessageA(window, WM_USER, 21, 0), 42);
  const MSG message = {window, WM_USER, 5, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&message), 10);
  // A thread message has no procedure to go to.
  received.clear();
  const MSG threadMessage = {nullptr, WM_USER, 5, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&threadMessage), 0);
  EXPECT_TRUE(received.empty());
}

TEST_F(WindowTest, AQueueNobodyReadsStopsTakingPosts) {
  HWND window = MakeWindow();
  int accepted = 0;
  while (accepted < 20000 && PostMessageA(window, WM_USER, 0, 0)) ++accepted;
  EXPECT_EQ(accepted, 10000);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ENOUGH_QUOTA});
}

}  // namespace
