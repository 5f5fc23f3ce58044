// The published entry points of image files into textures: image information, textures,
// cube and volume textures made from files, surfaces and volumes loaded from files, and the
// texture requirement checks with plain texture creation.
//
// Every entry point returns an HRESULT; out-pointers are written only on success, while a
// D3DXIMAGE_INFO or palette may already be filled when a later step fails. A texture handed
// out carries one reference that the caller releases. Module resources are not offered on
// this platform.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/image/image_info.h"

// --- Image information --------------------------------------------------------------------

// Decodes only the header. With a null info record any non-empty block gives S_OK.
HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT size, D3DXIMAGE_INFO* info);
HRESULT D3DXGetImageInfoFromFileA(LPCSTR file, D3DXIMAGE_INFO* info);
HRESULT D3DXGetImageInfoFromFileW(LPCWSTR file, D3DXIMAGE_INFO* info);
