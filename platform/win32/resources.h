// Module resources: named, typed blocks of bytes that a module of the program carries. A
// program embeds files as resources with the build's mirefell_add_resources; they register
// with the program's module (GetModuleHandleA(NULL)) before main. Other modules of the module
// table may carry resources too (tests register them directly).
//
// A type or name is a string, compared without regard to ASCII case, or an integer made with
// MAKEINTRESOURCE; the string "#123" means the integer 123. Resource memory belongs to the
// module: LoadResource and LockResource only hand out pointers to it.
#pragma once

#include <string>

#include "platform/win32/types.h"

struct HRSRC__ {
  int unused;
};
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// The resource types the toolkit reads: bitmaps (a DIB without its file header) and raw data.
inline const LPCSTR RT_BITMAP = MAKEINTRESOURCEA(2);
inline const LPCSTR RT_RCDATA = MAKEINTRESOURCEA(10);

// Null (and ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_MOD_NOT_FOUND) when the module is not loaded or has no such resource. A null module is
// the program.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// The resource's size in bytes; 0 for a null resource.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// A handle to the resource's bytes (its first byte); null for a null resource.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The first byte of a loaded resource.
LPVOID LockResource(HGLOBAL data);

namespace win32 {

// Adds a resource to the module named `moduleName` (empty: the program). `type` and `name`
// are strings or MAKEINTRESOURCE integers; `bytes` must outlive the process's use of it. A
// resource of the same type and name is replaced.
void RegisterResource(const std::string& moduleName, LPCSTR type, LPCSTR name, const void* bytes,
                      DWORD size);
// Takes every resource of a module away; handles to them become invalid.
void UnregisterResources(const std::string& moduleName);

}  // namespace win32
