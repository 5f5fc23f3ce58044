#include "tests/platform/win32/window_fixture.h"

namespace win32_test {

WindowTest::Reply WindowTest::reply;
std::vector<Received> WindowTest::received;

LRESULT WindowTest::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back({window, message, wParam, lParam});
  if (reply) return reply(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

void WindowTest::SetUp() {
  received.clear();
  reply = nullptr;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.lpfnWndProc = Procedure;
  windowClass.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassExA(&windowClass), 0) << "error " << GetLastError();
}

void WindowTest::TearDown() {
  reply = nullptr;
  for (HWND window : made_) DestroyWindow(window);
  MSG message;
  for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
  }
  UnregisterClassA(kClassName, nullptr);
}

HWND WindowTest::MakeWindow() {
  HWND window = CreateWindowExA(0, kClassName, "test", WS_POPUP, 0, 0, 320, 200, nullptr, nullptr,
                                nullptr, nullptr);
  EXPECT_NE(window, nullptr) << win32::WindowSystemError();
  made_.push_back(window);
  return window;
}

std::vector<UINT> WindowTest::ReceivedMessages() const {
  std::vector<UINT> messages;
  for (const Received& r : received) messages.push_back(r.message);
  return messages;
}

MSG WindowTest::Take(HWND window, UINT min, UINT max) {
  MSG message = {};
  if (!PeekMessageA(&message, window, min, max, PM_REMOVE)) message.message = WM_NULL;
  return message;
}

int WindowTest::DispatchAll(int limit) {
  int handled = 0;
  MSG message;
  while (handled < limit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
    ++handled;
  }
  return handled;
}

}  // namespace win32_test
