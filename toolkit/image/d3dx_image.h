// The published entry points of image files into textures: image information, textures,
// cube and volume textures made from files, surfaces and volumes loaded from files, and the
// texture requirement checks with plain texture creation.
//
// Every entry point returns an HRESULT; out-pointers are written only on success, while a
// D3DXIMAGE_INFO or palette may already be filled when a later step fails. A texture handed
// out carries one reference that the caller releases.
//
// The resource forms take a module and a resource name (a string, or MAKEINTRESOURCE of an
// integer) in place of a file name: the resource is looked up as RT_BITMAP, then as RT_RCDATA,
// and its bytes are read as a file's. A missing or empty resource gives D3DXERR_INVALIDDATA.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/resources.h"
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

// --- Textures from files ------------------------------------------------------------------
//
// Width and Height 0 or D3DX_DEFAULT take the image's size rounded up to powers of two,
// D3DX_DEFAULT_NONPOW2 the image's own size; MipLevels 0 or D3DX_DEFAULT a full chain; Format
// D3DFMT_UNKNOWN the file's format (the closest with alpha when a colour key is given).
// Filter D3DX_DEFAULT is triangle with dither, MipFilter D3DX_DEFAULT box. ColorKey 0xAARRGGBB
// becomes transparent black; 0 keys nothing. The short forms leave every choice to the
// toolkit: D3DX_DEFAULT sizes and levels, usage 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, default
// filters, no key. A file that cannot be opened or recognised gives D3DXERR_INVALIDDATA.

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                            UINT width, UINT height, UINT mipLevels,
                                            DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR file, UINT width,
                                     UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, LPCVOID data, UINT size,
                                          IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR file,
                                   IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* device, LPCWSTR file,
                                   IDirect3DTexture9** texture);

// Cube textures need a file with six faces (E_FAIL otherwise); `size` is the edge.
HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data,
                                                UINT dataSize, UINT size, UINT mipLevels,
                                                DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter,
                                                D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                                PALETTEENTRY* palette,
                                                IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileExA(IDirect3DDevice9* device, LPCSTR file, UINT size,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette,
                                         IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR file, UINT size,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette,
                                         IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileInMemory(IDirect3DDevice9* device, LPCVOID data,
                                              UINT dataSize, IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, LPCSTR file,
                                       IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromFileW(IDirect3DDevice9* device, LPCWSTR file,
                                       IDirect3DCubeTexture9** texture);

// The short forms of volume textures take the image's depth as well (D3DX_DEFAULT).
HRESULT D3DXCreateVolumeTextureFromFileInMemoryEx(
    IDirect3DDevice9* device, LPCVOID data, UINT dataSize, UINT width, UINT height, UINT depth,
    UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
    D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromFileExA(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                           UINT height, UINT depth, UINT mipLevels, DWORD usage,
                                           D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                           DWORD mipFilter, D3DCOLOR colorKey,
                                           D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                           IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR file, UINT width,
                                           UINT height, UINT depth, UINT mipLevels, DWORD usage,
                                           D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                           DWORD mipFilter, D3DCOLOR colorKey,
                                           D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                           IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromFileInMemory(IDirect3DDevice9* device, LPCVOID data,
                                                UINT dataSize,
                                                IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromFileA(IDirect3DDevice9* device, LPCSTR file,
                                         IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromFileW(IDirect3DDevice9* device, LPCWSTR file,
                                         IDirect3DVolumeTexture9** texture);

// --- Surfaces and volumes from files ------------------------------------------------------
//
// The file's first image (or `srcRect` / `srcBox` of it, which must lie within the image,
// else D3DERR_INVALIDCALL) goes through the surface loader into the caller's surface or
// volume, with the image's own palette and the colour key as given.

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* destSurface,
                                        const PALETTEENTRY* destPalette, const RECT* destRect,
                                        LPCVOID srcData, UINT srcDataSize, const RECT* srcRect,
                                        DWORD filter, D3DCOLOR colorKey,
                                        D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface9* destSurface,
                                 const PALETTEENTRY* destPalette, const RECT* destRect,
                                 LPCSTR srcFile, const RECT* srcRect, DWORD filter,
                                 D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadSurfaceFromFileW(IDirect3DSurface9* destSurface,
                                 const PALETTEENTRY* destPalette, const RECT* destRect,
                                 LPCWSTR srcFile, const RECT* srcRect, DWORD filter,
                                 D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);

HRESULT D3DXLoadVolumeFromFileInMemory(IDirect3DVolume9* destVolume,
                                       const PALETTEENTRY* destPalette, const D3DBOX* destBox,
                                       LPCVOID srcData, UINT srcDataSize, const D3DBOX* srcBox,
                                       DWORD filter, D3DCOLOR colorKey,
                                       D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadVolumeFromFileA(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                const D3DBOX* destBox, LPCSTR srcFile, const D3DBOX* srcBox,
                                DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadVolumeFromFileW(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                const D3DBOX* destBox, LPCWSTR srcFile, const D3DBOX* srcBox,
                                DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);

// --- From module resources ------------------------------------------------------------

HRESULT D3DXGetImageInfoFromResourceA(HMODULE module, LPCSTR resource, D3DXIMAGE_INFO* info);
HRESULT D3DXGetImageInfoFromResourceW(HMODULE module, LPCWSTR resource, D3DXIMAGE_INFO* info);

HRESULT D3DXCreateTextureFromResourceExA(IDirect3DDevice9* device, HMODULE module,
                                         LPCSTR resource, UINT width, UINT height,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette, IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromResourceA(IDirect3DDevice9* device, HMODULE module,
                                       LPCSTR resource, IDirect3DTexture9** texture);
HRESULT D3DXCreateCubeTextureFromResourceExA(IDirect3DDevice9* device, HMODULE module,
                                             LPCSTR resource, UINT size, UINT mipLevels,
                                             DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                             DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                             D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                             IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromResourceA(IDirect3DDevice9* device, HMODULE module,
                                           LPCSTR resource, IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromResourceExA(
    IDirect3DDevice9* device, HMODULE module, LPCSTR resource, UINT width, UINT height,
    UINT depth, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
    DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromResourceA(IDirect3DDevice9* device, HMODULE module,
                                             LPCSTR resource, IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateTextureFromResourceExW(IDirect3DDevice9* device, HMODULE module,
                                         LPCWSTR resource, UINT width, UINT height,
                                         UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                         D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                         PALETTEENTRY* palette, IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromResourceW(IDirect3DDevice9* device, HMODULE module,
                                       LPCWSTR resource, IDirect3DTexture9** texture);
HRESULT D3DXCreateCubeTextureFromResourceExW(IDirect3DDevice9* device, HMODULE module,
                                             LPCWSTR resource, UINT size, UINT mipLevels,
                                             DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                             DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                             D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                             IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateCubeTextureFromResourceW(IDirect3DDevice9* device, HMODULE module,
                                           LPCWSTR resource, IDirect3DCubeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromResourceExW(
    IDirect3DDevice9* device, HMODULE module, LPCWSTR resource, UINT width, UINT height,
    UINT depth, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
    DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
    IDirect3DVolumeTexture9** texture);
HRESULT D3DXCreateVolumeTextureFromResourceW(IDirect3DDevice9* device, HMODULE module,
                                             LPCWSTR resource, IDirect3DVolumeTexture9** texture);

HRESULT D3DXLoadSurfaceFromResourceA(IDirect3DSurface9* destSurface,
                                     const PALETTEENTRY* destPalette, const RECT* destRect,
                                     HMODULE srcModule, LPCSTR srcResource, const RECT* srcRect,
                                     DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadVolumeFromResourceA(IDirect3DVolume9* destVolume,
                                    const PALETTEENTRY* destPalette, const D3DBOX* destBox,
                                    HMODULE srcModule, LPCSTR srcResource, const D3DBOX* srcBox,
                                    DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadSurfaceFromResourceW(IDirect3DSurface9* destSurface,
                                     const PALETTEENTRY* destPalette, const RECT* destRect,
                                     HMODULE srcModule, LPCWSTR srcResource, const RECT* srcRect,
                                     DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);
HRESULT D3DXLoadVolumeFromResourceW(IDirect3DVolume9* destVolume,
                                    const PALETTEENTRY* destPalette, const D3DBOX* destBox,
                                    HMODULE srcModule, LPCWSTR srcResource, const D3DBOX* srcBox,
                                    DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);
