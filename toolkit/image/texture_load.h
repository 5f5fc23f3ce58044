// CreateTextureFromMemoryCore: the one routine behind every texture-from-file entry point.
//
// It decodes the file, fits size, level count and format to the device, creates the texture
// (with a system-memory copy to write into when the pool cannot be written directly), loads
// the file's levels through the surface loader and fills the remaining levels, either by the
// surface loader from the file's last level or by the mip filler.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/image/image_info.h"

struct TextureLoadRequest {
  IDirect3DDevice9* device;
  // The whole image file.
  const void* bytes;
  UINT size;
  // 0 or D3DX_DEFAULT: the image's size rounded up to a power of two; D3DX_DEFAULT_NONPOW2:
  // the image's size; anything else as it is. Flat textures pass depth 1.
  UINT width;
  UINT height;
  UINT depth;
  // 0 or D3DX_DEFAULT: a full chain.
  UINT mipLevels;
  DWORD usage;
  // D3DFMT_UNKNOWN: the file's own format, or the closest with alpha when a key is given.
  D3DFORMAT format;
  D3DPOOL pool;
  // D3DX_DEFAULT: triangle with dither for loaded levels, box for generated ones.
  DWORD filter;
  DWORD mipFilter;
  // 0xAARRGGBB made transparent black; 0 for none.
  D3DCOLOR colorKey;
  // May be null; describes the file once decoding succeeded, even if a later step fails.
  D3DXIMAGE_INFO* srcInfo;
  // May be null; 256 entries that receive the image's palette (after keying).
  PALETTEENTRY* palette;
  // D3DRTYPE_TEXTURE, D3DRTYPE_VOLUMETEXTURE or D3DRTYPE_CUBETEXTURE.
  D3DRESOURCETYPE kind;
  // Written only on success, with a reference the caller owns.
  IDirect3DBaseTexture9** texture;
};

HRESULT CreateTextureFromMemoryCore(const TextureLoadRequest& request);
