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

// --- Texture requirements and plain texture creation ----------------------------------------

// Fit a wished size, level count and format to what the device makes for the pool: sizes
// default to 256 (or to the other size given), are lowered to the device's limits and raised
// to powers of two where it needs them; D3DX_DEFAULT or 0 levels ask for a full chain; the
// format becomes the closest the device accepts. Any pointer may be null (D3DX_DEFAULT, or
// D3DFMT_UNKNOWN for the format, and nothing written back); nothing is written on failure.
HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height,
                                     UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                                     D3DPOOL pool);
HRESULT D3DXCheckCubeTextureRequirements(IDirect3DDevice9* device, UINT* size, UINT* mipLevels,
                                         DWORD usage, D3DFORMAT* format, D3DPOOL pool);
HRESULT D3DXCheckVolumeTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height,
                                           UINT* depth, UINT* mipLevels, DWORD usage,
                                           D3DFORMAT* format, D3DPOOL pool);

// An empty texture of the fitted size, level count and format. Usage D3DX_DEFAULT counts as 0.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture);
HRESULT D3DXCreateCubeTexture(IDirect3DDevice9* device, UINT size, UINT mipLevels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateVolumeTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT depth,
                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DVolumeTexture9** texture);
