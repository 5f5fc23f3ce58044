// RegisterClassExA and UnregisterClassA: a class is a name, an atom and a window procedure.
#include "platform/win32/window_table.h"

namespace {

bool IsNamedByString(LPCSTR name) { return reinterpret_cast<ULONG_PTR>(name) >= 0x10000; }

bool IsValidClass(const WNDCLASSEXA* windowClass) {
  return windowClass != nullptr && windowClass->cbSize == sizeof(WNDCLASSEXA) &&
         windowClass->lpfnWndProc != nullptr && IsNamedByString(windowClass->lpszClassName) &&
         windowClass->lpszClassName[0] != '\0';
}

}  // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!IsValidClass(windowClass)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (win32::LookUpClass(windowClass->lpszClassName) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  const ATOM atom = win32::AddClass(*windowClass);
  if (atom == 0) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  const win32::WindowClass* windowClass = win32::LookUpClass(className);
  if (windowClass == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (win32::AnyWindowOfClass(windowClass->atom)) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  win32::RemoveClass(windowClass->atom);
  win32::StopVideoIfUnused();
  return TRUE;
}
