// D3DXFilterTexture: fills the levels below a source level of a texture, cube texture or
// volume texture, each face on its own, through the surface (volume) loader.
//
// POINT and BOX make each level from the one just made above it (a box halving per level);
// the other filters make every level from the source level directly.
#include "toolkit/common/defaults.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

bool IsPowerOfTwo(UINT n) { return n != 0 && (n & (n - 1)) == 0; }

// The filter for D3DX_DEFAULT: box halving when every dimension of level 0 is a power of two.
HRESULT DefaultFilter(IDirect3DBaseTexture9* texture, D3DRESOURCETYPE type, DWORD* filter) {
  bool powers = false;
  if (type == D3DRTYPE_VOLUMETEXTURE) {
    D3DVOLUME_DESC desc;
    const HRESULT hr = static_cast<IDirect3DVolumeTexture9*>(texture)->GetLevelDesc(0, &desc);
    if (FAILED(hr)) return hr;
    powers = IsPowerOfTwo(desc.Width) && IsPowerOfTwo(desc.Height) && IsPowerOfTwo(desc.Depth);
  } else {
    D3DSURFACE_DESC desc;
    const HRESULT hr = type == D3DRTYPE_TEXTURE
                           ? static_cast<IDirect3DTexture9*>(texture)->GetLevelDesc(0, &desc)
                           : static_cast<IDirect3DCubeTexture9*>(texture)->GetLevelDesc(0, &desc);
    if (FAILED(hr)) return hr;
    powers = IsPowerOfTwo(desc.Width) && IsPowerOfTwo(desc.Height);
  }
  *filter = powers ? D3DX_FILTER_BOX : D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
  return S_OK;
}

// Cube faces meet at their edges, so no axis wraps. The gamma flag of the output side stands
// for both sides: levels are read and written in the same space.
DWORD AdjustFlags(DWORD filter, D3DRESOURCETYPE type) {
  if (type == D3DRTYPE_CUBETEXTURE) filter |= D3DX_FILTER_MIRROR;
  if ((filter & D3DX_FILTER_SRGB_OUT) != 0) return filter | D3DX_FILTER_SRGB;
  return filter & ~D3DX_FILTER_SRGB;
}

// Levels srcLevel + 1 ... levels - 1 of one face. `get`(level, out) hands out a level;
// `load`(level, source) fills one.
template <typename Level, typename Get, typename Load>
HRESULT FillLevels(Get get, Load load, UINT srcLevel, UINT levels, bool chain) {
  Level* source = nullptr;
  HRESULT hr = get(srcLevel, &source);
  if (FAILED(hr)) return hr;
  for (UINT i = srcLevel + 1; i < levels; ++i) {
    Level* level = nullptr;
    hr = get(i, &level);
    if (FAILED(hr)) break;
    hr = load(level, source);
    if (chain) {
      source->Release();
      source = level;
    } else {
      level->Release();
    }
    if (FAILED(hr)) break;
  }
  source->Release();
  return hr;
}

}  // namespace

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* baseTexture, const PALETTEENTRY* palette,
                          UINT srcLevel, DWORD filter) {
  if (baseTexture == nullptr) return D3DERR_INVALIDCALL;
  const D3DRESOURCETYPE type = baseTexture->GetType();
  if (type != D3DRTYPE_TEXTURE && type != D3DRTYPE_VOLUMETEXTURE && type != D3DRTYPE_CUBETEXTURE) {
    return D3DERR_INVALIDCALL;
  }
  if (filter == D3DX_DEFAULT) {
    const HRESULT hr = DefaultFilter(baseTexture, type, &filter);
    if (FAILED(hr)) return hr;
  }
  filter = AdjustFlags(filter, type);
  if (srcLevel == D3DX_DEFAULT) srcLevel = 0;
  const UINT levels = baseTexture->GetLevelCount();
  if (srcLevel >= levels) return D3DERR_INVALIDCALL;
  const DWORD filterType = filter & 0xFF;
  const bool chain = filterType == D3DX_FILTER_POINT || filterType == D3DX_FILTER_BOX;

  if (type == D3DRTYPE_VOLUMETEXTURE) {
    auto* volumes = static_cast<IDirect3DVolumeTexture9*>(baseTexture);
    return FillLevels<IDirect3DVolume9>(
        [&](UINT level, IDirect3DVolume9** out) { return volumes->GetVolumeLevel(level, out); },
        [&](IDirect3DVolume9* level, IDirect3DVolume9* source) {
          return D3DXLoadVolumeFromVolume(level, palette, nullptr, source, palette, nullptr, filter,
                                          0);
        },
        srcLevel, levels, chain);
  }
  const auto load = [&](IDirect3DSurface9* level, IDirect3DSurface9* source) {
    return D3DXLoadSurfaceFromSurface(level, palette, nullptr, source, palette, nullptr, filter, 0);
  };
  if (type == D3DRTYPE_TEXTURE) {
    auto* texture = static_cast<IDirect3DTexture9*>(baseTexture);
    return FillLevels<IDirect3DSurface9>(
        [&](UINT level, IDirect3DSurface9** out) { return texture->GetSurfaceLevel(level, out); },
        load, srcLevel, levels, chain);
  }
  auto* cube = static_cast<IDirect3DCubeTexture9*>(baseTexture);
  for (UINT face = 0; face < 6; ++face) {
    const HRESULT hr = FillLevels<IDirect3DSurface9>(
        [&](UINT level, IDirect3DSurface9** out) {
          return cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, out);
        },
        load, srcLevel, levels, chain);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}
