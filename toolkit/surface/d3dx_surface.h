// The published entry points of surface loading and mip filling: pixels from memory, from
// another surface or volume into a surface or volume, with format conversion, colour key and
// resampling filter; and the filling of a texture's mip levels from one of its levels.
//
// Every entry point returns an HRESULT. A null rectangle or box means the whole surface or
// volume; a null palette means none is given.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"

// Filters: the low byte chooses the filter; the flags above it may be ORed in.
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;
constexpr DWORD D3DX_FILTER_MIRROR_U = 1 << 16;
constexpr DWORD D3DX_FILTER_MIRROR_V = 2 << 16;
constexpr DWORD D3DX_FILTER_MIRROR_W = 4 << 16;
constexpr DWORD D3DX_FILTER_MIRROR = 7 << 16;
constexpr DWORD D3DX_FILTER_DITHER = 1 << 19;
constexpr DWORD D3DX_FILTER_DITHER_DIFFUSION = 2 << 19;
constexpr DWORD D3DX_FILTER_SRGB_IN = 1 << 21;
constexpr DWORD D3DX_FILTER_SRGB_OUT = 2 << 21;
constexpr DWORD D3DX_FILTER_SRGB = 3 << 21;

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* destSurface,
                                  const PALETTEENTRY* destPalette, const RECT* destRect,
                                  LPCVOID srcMemory, D3DFORMAT srcFormat, UINT srcPitch,
                                  const PALETTEENTRY* srcPalette, const RECT* srcRect,
                                  DWORD filter, D3DCOLOR colorKey);

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* destSurface,
                                   const PALETTEENTRY* destPalette, const RECT* destRect,
                                   IDirect3DSurface9* srcSurface, const PALETTEENTRY* srcPalette,
                                   const RECT* srcRect, DWORD filter, D3DCOLOR colorKey);

HRESULT D3DXLoadVolumeFromMemory(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                 const D3DBOX* destBox, LPCVOID srcMemory, D3DFORMAT srcFormat,
                                 UINT srcRowPitch, UINT srcSlicePitch,
                                 const PALETTEENTRY* srcPalette, const D3DBOX* srcBox,
                                 DWORD filter, D3DCOLOR colorKey);

HRESULT D3DXLoadVolumeFromVolume(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                 const D3DBOX* destBox, IDirect3DVolume9* srcVolume,
                                 const PALETTEENTRY* srcPalette, const D3DBOX* srcBox,
                                 DWORD filter, D3DCOLOR colorKey);

// Fills the levels after `srcLevel` of a texture, cube texture or volume texture from it.
HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* baseTexture, const PALETTEENTRY* palette,
                          UINT srcLevel, DWORD filter);
