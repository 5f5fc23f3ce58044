#include "platform/win32/version.h"

#include <gtest/gtest.h>

namespace {

TEST(GetVersionExA, ReportsAnNtPlatform) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.szCSDVersion[0] = 'x';
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(info.dwMajorVersion, 6u);
  EXPECT_GT(info.dwBuildNumber, 0u);
  EXPECT_EQ(info.szCSDVersion[0], '\0');
}

TEST(GetVersionExA, RefusesAWrongStructureSize) {
  constexpr DWORD kRight = sizeof(OSVERSIONINFOA);
  for (DWORD size : {DWORD{0}, kRight - 1, kRight + 8}) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = size;
    info.dwPlatformId = 99;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&info)) << size;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(info.dwPlatformId, 99u);
  }
  EXPECT_FALSE(GetVersionExA(nullptr));
}

}  // namespace
