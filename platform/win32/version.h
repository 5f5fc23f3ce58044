// The operating-system version, reported as a Windows NT platform so that callers take their
// wide-character paths.
#pragma once

#include "platform/win32/types.h"

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;  // sizeof(OSVERSIONINFOA), set by the caller
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fails (FALSE) when dwOSVersionInfoSize is not the structure's size.
BOOL GetVersionExA(OSVERSIONINFOA* info);
