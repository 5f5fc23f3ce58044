// Fitting a wished texture to a device: size, level count and pixel format.
//
// CheckRequirements is the one routine behind the published requirement checks, plain texture
// creation and the texture loaders. Any pointer but the device may be null; the value then
// counts as D3DX_DEFAULT (the format as D3DFMT_UNKNOWN) and nothing is written back there.
// On failure nothing is written back at all.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"

// Usage bits a texture may be asked for with; any other bit is refused.
constexpr DWORD refusedTextureUsage = 0xFFE039EC;
// The bits that only ask questions of CheckDeviceFormat and make nothing.
constexpr DWORD textureUsageWithoutQueries = 0xFFE07FFF;

// `kind` is D3DRTYPE_TEXTURE, D3DRTYPE_CUBETEXTURE or D3DRTYPE_VOLUMETEXTURE.
// S_OK; D3DERR_INVALIDCALL for a null device, a refused usage bit or a pool above scratch;
// D3DERR_NOTAVAILABLE when the device accepts no format near the wished one; a failure of
// the device's capability query as it came. MipLevels 0 on return means a chain the device
// makes itself (D3DUSAGE_AUTOGENMIPMAP).
HRESULT CheckRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* depth,
                          UINT* mipLevels, DWORD usage, D3DFORMAT* format, D3DPOOL pool,
                          D3DRESOURCETYPE kind);

// The smallest power of two not below `value` (1 for 0); values above 2^31 give 2^31, the
// largest that a UINT holds.
UINT PowerOfTwoAtLeast(UINT value);
