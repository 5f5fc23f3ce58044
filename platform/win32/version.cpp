#include "platform/win32/version.h"

#include <cstring>

namespace {

// A Windows 7 release without a service pack.
constexpr DWORD kMajorVersion = 6;
constexpr DWORD kMinorVersion = 1;
constexpr DWORD kBuildNumber = 7600;

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->dwMajorVersion = kMajorVersion;
  info->dwMinorVersion = kMinorVersion;
  info->dwBuildNumber = kBuildNumber;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
  return TRUE;
}
