// Modules built into the program ("d3d9.dll", "gdi32.dll", ...), each a table of exported
// names, found with GetModuleHandleA (loaded ones only) and LoadLibraryA, and their exports
// with GetProcAddress. Names compare without regard to ASCII case; a name without an
// extension means ".dll".
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/types.h"

// GetModuleHandleA(null) is the program itself.
HMODULE GetModuleHandleA(LPCSTR moduleName);
HMODULE LoadLibraryA(LPCSTR moduleName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// Each LoadLibraryA is matched by one FreeLibrary; the module unloads when its count is 0.
BOOL FreeLibrary(HMODULE module);

namespace win32 {

using ModuleExports = std::vector<std::pair<std::string, FARPROC>>;

// Adds a module to the table (or replaces one of the same name). A module registered as
// loaded is visible to GetModuleHandleA at once, as if the process had loaded it at start.
void RegisterModule(const std::string& name, ModuleExports exports, bool loaded);
// Takes a module out of the table; handles to it become invalid.
void UnregisterModule(const std::string& name);
// A hidden module is absent for every lookup until shown again.
void HideModule(const std::string& name, bool hidden);
// A number that changes whenever a lookup by name or handle could give another answer
// (modules registered, taken out, hidden, shown, loaded or freed), so that a caller may keep
// what it found until then.
std::uint64_t ModuleTableGeneration();

// The name a module is kept under ("D3D9" -> "d3d9.dll"); empty for an empty name.
std::string CanonicalModuleName(const std::string& name);
// The kept name of a loaded, visible module, or an empty string for the program (a null
// handle or GetModuleHandleA(NULL)); false for any other handle.
bool LoadedModuleName(HMODULE module, std::string& name);

}  // namespace win32
