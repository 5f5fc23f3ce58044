#include "platform/win32/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/platform/win32/window_fixture.h"

namespace {

using win32_test::WindowTest;

TEST_F(WindowTest, CreationSendsWmCreateWithWhatWasAsked) {
  int parameter = 0;
  CREATESTRUCTA seen = {};
  reply = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> LRESULT {
    if (message == WM_CREATE) seen = *reinterpret_cast<CREATESTRUCTA*>(lParam);
    return 0;
  };
  HWND window = CreateWindowExA(WS_EX_APPWINDOW, kClassName, "Title", WS_POPUP, 3, 4, 320, 200,
                                GetDesktopWindow(), nullptr, nullptr, &parameter);
  ASSERT_NE(window, nullptr) << win32::WindowSystemError();
  ASSERT_EQ(ReceivedMessages(), std::vector<UINT>{WM_CREATE});
  EXPECT_EQ(received[0].window, window);
  EXPECT_EQ(seen.lpCreateParams, &parameter);
  EXPECT_EQ(seen.cx, 320);
  EXPECT_EQ(seen.cy, 200);
  EXPECT_EQ(seen.hwndParent, GetDesktopWindow());
  EXPECT_EQ(seen.dwExStyle, WS_EX_APPWINDOW);
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(WindowTest, PopupIsABorderlessSdlWindowHiddenUntilShown) {
  HWND window = MakeWindow();
  SDL_Window* sdlWindow = win32::SdlWindowOf(window);
  ASSERT_NE(sdlWindow, nullptr);
  EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_BORDERLESS, 0u);
  EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_HIDDEN, 0u);
  RECT client = {-1, -1, -1, -1};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);

  EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT));  // it was hidden
  EXPECT_NE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_SHOWN, 0u);
  EXPECT_TRUE(ShowWindow(window, SW_HIDE));  // it was visible
}

TEST_F(WindowTest, RefusalOfWmCreateDestroysTheWindow) {
  reply = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    return message == WM_CREATE ? -1 : 0;
  };
  EXPECT_EQ(CreateWindowExA(0, kClassName, "x", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(ReceivedMessages(), (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
  RECT client;
  EXPECT_FALSE(GetClientRect(received[0].window, &client));
}

TEST_F(WindowTest, UpdateWindowPaintsOnlyWhatNeedsPaint) {
  reply = [](HWND window, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_PAINT) ValidateRect(window, nullptr);
    return 0;
  };
  HWND window = MakeWindow();
  received.clear();
  EXPECT_TRUE(UpdateWindow(window));  // hidden, never invalidated
  EXPECT_TRUE(received.empty());
  ShowWindow(window, SW_SHOW);
  EXPECT_TRUE(received.empty());  // showing asks for paint, it does not paint
  UpdateWindow(window);
  UpdateWindow(window);  // validated by the first paint
  EXPECT_EQ(ReceivedMessages(), std::vector<UINT>{WM_PAINT});
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(ReceivedMessages(), (std::vector<UINT>{WM_PAINT, WM_PAINT}));
}

TEST_F(WindowTest, DestroyedHandleIsInvalidEverywhere) {
  HWND window = MakeWindow();
  received.clear();
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(ReceivedMessages(), std::vector<UINT>{WM_DESTROY});
  EXPECT_EQ(win32::SdlWindowOf(window), nullptr);

  RECT rect = {0, 0, 1, 1};
  const auto expectInvalid = [](bool failed, const char* call) {
    EXPECT_TRUE(failed) << call;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_WINDOW_HANDLE}) << call;
  };
  expectInvalid(!DestroyWindow(window), "DestroyWindow");
  expectInvalid(!ShowWindow(window, SW_SHOW), "ShowWindow");
  expectInvalid(!UpdateWindow(window), "UpdateWindow");
  expectInvalid(!GetClientRect(window, &rect), "GetClientRect");
  expectInvalid(!ValidateRect(window, nullptr), "ValidateRect");
  expectInvalid(!InvalidateRect(window, nullptr, FALSE), "InvalidateRect");
  expectInvalid(!PostMessageA(window, WM_USER, 0, 0), "PostMessageA");
  expectInvalid(SendMessageA(window, WM_USER, 0, 0) == 0, "SendMessageA");
  EXPECT_EQ(ReceivedMessages(), std::vector<UINT>{WM_DESTROY});

  // A later window does not take the old handle over.
  EXPECT_NE(MakeWindow(), window);
}

TEST_F(WindowTest, DestroyingAWindowDestroysItsChildrenAfterIt) {
  HWND parent = MakeWindow();
  HWND child = CreateWindowExA(0, kClassName, "child", WS_POPUP, 0, 0, 32, 32, parent, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  received.clear();
  // A procedure that destroys its window again while it is being destroyed changes nothing.
  reply = [](HWND window, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_DESTROY) {
      EXPECT_TRUE(DestroyWindow(window));
    }
    return 0;
  };
  ASSERT_TRUE(DestroyWindow(parent));
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].window, parent);
  EXPECT_EQ(received[1].window, child);
  EXPECT_EQ(win32::SdlWindowOf(child), nullptr);
}

TEST_F(WindowTest, DesktopIsAValidParentThatCannotBeChanged) {
  HWND desktop = GetDesktopWindow();
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(GetDesktopWindow(), desktop);
  RECT rect = {};
  ASSERT_TRUE(GetClientRect(desktop, &rect));
  EXPECT_GT(rect.right, 0);
  EXPECT_GT(rect.bottom, 0);
  EXPECT_FALSE(DestroyWindow(desktop));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});

  HWND stale = MakeWindow();
  DestroyWindow(stale);
  EXPECT_EQ(
      CreateWindowExA(0, kClassName, "x", WS_POPUP, 0, 0, 8, 8, stale, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_WINDOW_HANDLE});
}

TEST(Cursor, OnlyTheArrowIsKnown) {
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_RESOURCE_NAME_NOT_FOUND});
}

TEST_F(WindowTest, VideoStopsWithTheLastWindowAndClass) {
  ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  HWND window = MakeWindow();
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  DestroyWindow(window);
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);  // the class is still registered
  ASSERT_TRUE(UnregisterClassA(kClassName, nullptr));
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(WindowTest, NoDisplayIsReportedWithSdlsReason) {
  ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const std::string saved = driver != nullptr ? driver : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  HWND window = CreateWindowExA(0, kClassName, "x", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                nullptr, nullptr);
  const DWORD error = GetLastError();
  driver != nullptr ? setenv("SDL_VIDEODRIVER", saved.c_str(), 1) : unsetenv("SDL_VIDEODRIVER");
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(error, DWORD{ERROR_NOT_SUPPORTED});
  EXPECT_NE(std::string(win32::WindowSystemError()).find("no-such-driver"), std::string::npos)
      << win32::WindowSystemError();
  EXPECT_TRUE(received.empty());
}

}  // namespace
