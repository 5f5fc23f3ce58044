// The software Direct3D 9 runtime: every published name the game and the toolkit use.
//
// Direct3DCreate9 gives the one-adapter IDirect3D9 object; its devices render in software
// into system memory and present to the SDL window behind their HWND. Test and tool seams
// (a configurable device, the last presented frame) are in test_device.h.
#pragma once

#include "platform/d3d9/caps.h"
#include "platform/d3d9/enums.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/interfaces.h"
#include "platform/d3d9/math_types.h"
#include "platform/d3d9/records.h"
#include "platform/d3d9/render_states.h"
#include "platform/d3d9/results.h"

// The runtime's entry point, also exported as "Direct3DCreate9" by the module "d3d9.dll".
// Any SDK version is accepted.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

namespace d3d9 {

// Adds "d3d9.dll" with its export "Direct3DCreate9" to the module table, as loaded. Called by
// Direct3DCreate9; callable earlier by a program that looks the module up first.
void RegisterRuntimeModule();

}  // namespace d3d9
