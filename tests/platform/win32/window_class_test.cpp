#include <gtest/gtest.h>

#include <string>

#include "platform/win32/window.h"
#include "tests/platform/win32/window_fixture.h"

namespace {

using win32_test::WindowTest;

LRESULT Ignore(HWND, UINT, WPARAM, LPARAM) { return 0; }

WNDCLASSEXA ClassNamed(const char* name) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.lpfnWndProc = Ignore;
  windowClass.lpszClassName = name;
  return windowClass;
}

TEST(WindowClass, RefusesIncompleteDescriptions) {
  WNDCLASSEXA wrongSize = ClassNamed("Incomplete");
  wrongSize.cbSize = sizeof(WNDCLASSEXA) - 4;
  WNDCLASSEXA noProcedure = ClassNamed("Incomplete");
  noProcedure.lpfnWndProc = nullptr;
  WNDCLASSEXA noName = ClassNamed(nullptr);
  WNDCLASSEXA emptyName = ClassNamed("");
  for (const WNDCLASSEXA* bad : {&wrongSize, &noProcedure, &noName, &emptyName}) {
    SetLastError(0);
    EXPECT_EQ(RegisterClassExA(bad), 0);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  }
  EXPECT_EQ(RegisterClassExA(nullptr), 0);
  // None of them was registered under the name.
  EXPECT_FALSE(UnregisterClassA("Incomplete", nullptr));
}

TEST(WindowClass, NamesAreUniqueWithoutRegardToCase) {
  const WNDCLASSEXA first = ClassNamed("Unique");
  const WNDCLASSEXA second = ClassNamed("UNIQUE");
  const ATOM atom = RegisterClassExA(&first);
  ASSERT_NE(atom, 0);
  EXPECT_EQ(RegisterClassExA(&second), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_CLASS_ALREADY_EXISTS});
  EXPECT_TRUE(UnregisterClassA("unique", nullptr));
  // Gone, so the name is free again.
  EXPECT_NE(RegisterClassExA(&second), 0);
  EXPECT_TRUE(UnregisterClassA("Unique", nullptr));
}

TEST(WindowClass, EachClassHasItsOwnAtom) {
  const WNDCLASSEXA a = ClassNamed("AtomA");
  const WNDCLASSEXA b = ClassNamed("AtomB");
  const ATOM atomA = RegisterClassExA(&a);
  const ATOM atomB = RegisterClassExA(&b);
  EXPECT_NE(atomA, 0);
  EXPECT_NE(atomB, 0);
  EXPECT_NE(atomA, atomB);
  EXPECT_TRUE(UnregisterClassA(MAKEINTATOM(atomA), nullptr));
  EXPECT_FALSE(UnregisterClassA("AtomA", nullptr));
  EXPECT_TRUE(UnregisterClassA("AtomB", nullptr));
}

TEST(WindowClass, UnregisteringAnUnknownClassFails) {
  EXPECT_FALSE(UnregisterClassA("NeverRegistered", nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_CLASS_DOES_NOT_EXIST});
  EXPECT_FALSE(UnregisterClassA(nullptr, nullptr));
}

TEST_F(WindowTest, ClassWithWindowsCannotBeUnregistered) {
  HWND window = MakeWindow();
  EXPECT_FALSE(UnregisterClassA(kClassName, nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_CLASS_HAS_WINDOWS});
  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassA(kClassName, nullptr));
}

TEST_F(WindowTest, WindowsCanBeMadeFromTheClassAtom) {
  WNDCLASSEXA windowClass = ClassNamed("ByAtom");
  const ATOM atom = RegisterClassExA(&windowClass);
  HWND window = CreateWindowExA(0, MAKEINTATOM(atom), "atom", WS_POPUP, 0, 0, 64, 64, nullptr,
                                nullptr, nullptr, nullptr);
  EXPECT_NE(window, nullptr) << win32::WindowSystemError();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassA("ByAtom", nullptr));
}

TEST_F(WindowTest, WindowOfAnUnknownClassIsRefusedWithItsName) {
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_CANNOT_FIND_WND_CLASS});
  EXPECT_NE(std::string(win32::WindowSystemError()).find("NoSuchClass"), std::string::npos)
      << win32::WindowSystemError();
}

}  // namespace
