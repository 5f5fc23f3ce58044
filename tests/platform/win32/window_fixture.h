// A registered window class whose procedure records every message, and windows made from
// it that are destroyed again after each test, so each test starts with no window, an
// empty queue and SDL video stopped.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win32/window.h"

namespace win32_test {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class WindowTest : public ::testing::Test {
 protected:
  static constexpr const char* kClassName = "MirefellTestWindow";
  using Reply = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

  void SetUp() override;
  void TearDown() override;

  // A 320 x 200 popup window of the test class; fails the test when none can be made.
  HWND MakeWindow();
  // The messages the procedure received, in order.
  std::vector<UINT> ReceivedMessages() const;
  // Removes the next message; WM_NULL when there is none.
  MSG Take(HWND window = nullptr, UINT min = 0, UINT max = 0);
  // Takes and dispatches messages until the queue is empty or `limit` were handled.
  int DispatchAll(int limit = 50);

  // What the procedure answers; unset means DefWindowProcA.
  static Reply reply;
  static std::vector<Received> received;

 private:
  static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::vector<HWND> made_;
};

}  // namespace win32_test
