// D3DXDebugMute: silences the Direct3D debug layer's warnings around device calls that are
// expected to provoke them.
//
// The debug layer, when present, exports "DebugSetMute" from "d3d9.dll" or "d3d9d.dll"; such a
// hook is `BOOL DebugSetMute(BOOL mute)` and returns the previous state. Only modules already
// loaded are searched: muting never loads a library. Until a hook is found, every call
// searches again (a debug layer may be loaded late); once one is found, the hooks found then
// are kept for the life of the process and no module is searched again.
//
// Setting the DWORD "D3DXDoNotMute" under HKEY_LOCAL_MACHINE\Software\Direct3D to a non-zero
// value keeps the debug output on. It is read once, at the first call that finds a
// hook; a missing value, or one of another type or size, counts as 0.
//
// Process-wide state, filled in lazily without locking: call from one thread.
#pragma once

#include "platform/win32/types.h"

// The registry key of the Direct3D settings, under HKEY_LOCAL_MACHINE.
inline constexpr const char* direct3DSettingsKey = "Software\\Direct3D";

// Calls every hook found with `mute` (first d3d9.dll's, then d3d9d.dll's) unless muting is
// disabled. Returns what the last hook called returned, or FALSE when none was called.
BOOL D3DXDebugMute(BOOL mute);

namespace testing_hooks {

// Forgets the hooks and the registry value, as at process start.
void ResetDebugMute();

}  // namespace testing_hooks
