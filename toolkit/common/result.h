// Result codes of the toolkit: the Windows and Direct3D codes it passes on, the D3DX codes of
// its own, and their symbolic names for messages in tools and tests.
#pragma once

#include "platform/d3d9/results.h"
#include "platform/win32/types.h"

constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = static_cast<HRESULT>(0x88760B54u);
constexpr HRESULT D3DXERR_INVALIDMESH = static_cast<HRESULT>(0x88760B55u);
constexpr HRESULT D3DXERR_CANNOTATTRSORT = static_cast<HRESULT>(0x88760B56u);
constexpr HRESULT D3DXERR_SKINNINGNOTSUPPORTED = static_cast<HRESULT>(0x88760B57u);
constexpr HRESULT D3DXERR_TOOMANYINFLUENCES = static_cast<HRESULT>(0x88760B58u);
// A file that cannot be opened or whose contents are not recognised.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);
constexpr HRESULT D3DXERR_LOADEDMESHASNODATA = static_cast<HRESULT>(0x88760B5Au);
constexpr HRESULT D3DXERR_DUPLICATENAMEDFRAGMENT = static_cast<HRESULT>(0x88760B5Bu);
constexpr HRESULT D3DXERR_CANNOTREMOVELASTITEM = static_cast<HRESULT>(0x88760B5Cu);

// The symbolic name of a result ("S_OK", "D3DERR_INVALIDCALL", ...). An unknown code is
// written as "0x%08X" into a buffer of the calling thread, valid until its next call.
const char* ResultName(HRESULT result);
