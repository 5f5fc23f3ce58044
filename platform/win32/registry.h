// The registry as an in-process store that is empty at start. Programs read it through the
// usual calls; tests and tools put values in with SetRegistryValue.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u));

using REGSAM = DWORD;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_READ = 0x20019;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_QWORD = 11;

// Registry calls return Windows error codes (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ...), not
// HRESULTs. Key paths compare without regard to ASCII case; "\\" separates their parts.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);
LONG RegCloseKey(HKEY key);

namespace win32 {

// Creates the key path under root as needed and stores the value with the given type and
// bytes. Opening the key afterwards sees the value.
void SetRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                      DWORD type, const std::vector<BYTE>& data);
void SetRegistryDword(HKEY root, const std::string& keyPath, const std::string& valueName,
                      DWORD value);
// A REG_SZ value, stored with its terminating null as programs write them.
void SetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName,
                       const std::string& value);
// Empties the store, as at start. Keys still open answer ERROR_KEY_DELETED until closed.
void ClearRegistry();
// How many RegQueryValueExA calls the process has made, failed ones included (for tests of
// read-once callers). ClearRegistry does not reset it.
int RegistryQueryCount();

}  // namespace win32
