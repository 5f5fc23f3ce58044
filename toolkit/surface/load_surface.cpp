// D3DXLoadSurfaceFromMemory and D3DXLoadSurfaceFromSurface.
#include <cstring>

#include "toolkit/common/defaults.h"
#include "toolkit/surface/blitter.h"
#include "toolkit/surface/d3dx_surface.h"
#include "toolkit/surface/surface_lock.h"

namespace {

// The source rectangle locates pixels in the caller's memory: it must not start before the
// memory's first pixel nor be inverted.
bool IsOrderedRect(const RECT& rect) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom;
}

PixelBox BoxOf(const RECT& rect) {
  return {static_cast<UINT>(rect.left),
          static_cast<UINT>(rect.top),
          static_cast<UINT>(rect.right),
          static_cast<UINT>(rect.bottom),
          0,
          1};
}

RECT RectOf(const PixelBox& box) {
  return {static_cast<LONG>(box.left), static_cast<LONG>(box.top), static_cast<LONG>(box.right),
          static_cast<LONG>(box.bottom)};
}

RECT WholeRect(const D3DSURFACE_DESC& desc) {
  return {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

bool SamePalettes(const PALETTEENTRY* a, const PALETTEENTRY* b) {
  if (a == b) return true;
  return a != nullptr && b != nullptr && std::memcmp(a, b, 256 * sizeof(PALETTEENTRY)) == 0;
}

// A device copy between pools, for loads that need neither conversion nor filtering beyond
// what the device offers. E_FAIL when the pools do not allow one.
HRESULT CopyOnDevice(IDirect3DSurface9* dest, const D3DSURFACE_DESC& destDesc, const RECT* destRect,
                     IDirect3DSurface9* source, const D3DSURFACE_DESC& sourceDesc,
                     const RECT* srcRect) {
  if (destDesc.Pool != D3DPOOL_DEFAULT) return E_FAIL;
  if (sourceDesc.Pool != D3DPOOL_DEFAULT && sourceDesc.Pool != D3DPOOL_SYSTEMMEM) return E_FAIL;
  IDirect3DDevice9* device = nullptr;
  HRESULT hr = dest->GetDevice(&device);
  if (FAILED(hr)) return hr;
  if (sourceDesc.Pool == D3DPOOL_DEFAULT) {
    hr = device->StretchRect(source, srcRect, dest, destRect, D3DTEXF_NONE);
  } else {
    const POINT corner = destRect != nullptr ? POINT{destRect->left, destRect->top} : POINT{0, 0};
    hr = device->UpdateSurface(source, srcRect, dest, &corner);
  }
  device->Release();
  return hr;
}

bool MayCopyOnDevice(const D3DSURFACE_DESC& destDesc, const RECT* destRect,
                     const PALETTEENTRY* destPalette, const D3DSURFACE_DESC& sourceDesc,
                     const RECT* srcRect, const PALETTEENTRY* srcPalette, DWORD filter,
                     D3DCOLOR colorKey) {
  const RECT to = destRect != nullptr ? *destRect : WholeRect(destDesc);
  const RECT from = srcRect != nullptr ? *srcRect : WholeRect(sourceDesc);
  return (filter & 0xFFFF) != D3DX_FILTER_BOX && colorKey == 0 &&
         SamePalettes(destPalette, srcPalette) && to.right - to.left == from.right - from.left &&
         to.bottom - to.top == from.bottom - from.top;
}

}  // namespace

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* destSurface, const PALETTEENTRY* destPalette,
                                  const RECT* destRect, LPCVOID srcMemory, D3DFORMAT srcFormat,
                                  UINT srcPitch, const PALETTEENTRY* srcPalette,
                                  const RECT* srcRect, DWORD filter, D3DCOLOR colorKey) {
  if (destSurface == nullptr || srcMemory == nullptr || srcRect == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  if (filter == D3DX_DEFAULT) filter = defaultLoadFilter;
  if (!IsOrderedRect(*srcRect) || !IsValidFilter(filter)) return D3DERR_INVALIDCALL;

  SurfaceLock lock;
  HRESULT hr = lock.Lock(destSurface, destPalette, destRect, 0, 0);
  if (FAILED(hr)) return hr;

  PixelRegion source;
  source.pixels = const_cast<void*>(srcMemory);
  source.format = srcFormat;
  source.rowPitch = srcPitch;
  source.slicePitch = 0;
  source.fullBox = BoxOf(*srcRect);
  source.box = source.fullBox;
  source.colorKey = colorKey;
  source.palette = srcPalette;

  hr = Blitter(lock.Region(), source, filter).Run();
  if (FAILED(hr)) {
    lock.Abandon();
    return hr;
  }
  return lock.Unlock();
}

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, IDirect3DSurface9* srcSurface,
                                   const PALETTEENTRY* srcPalette, const RECT* srcRect,
                                   DWORD filter, D3DCOLOR colorKey) {
  if (destSurface == nullptr || srcSurface == nullptr) return D3DERR_INVALIDCALL;
  if (filter == D3DX_DEFAULT) filter = defaultLoadFilter;
  if (!IsValidFilter(filter)) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC destDesc, sourceDesc;
  HRESULT hr = destSurface->GetDesc(&destDesc);
  if (SUCCEEDED(hr)) hr = srcSurface->GetDesc(&sourceDesc);
  if (FAILED(hr)) return hr;

  if (MayCopyOnDevice(destDesc, destRect, destPalette, sourceDesc, srcRect, srcPalette, filter,
                      colorKey) &&
      SUCCEEDED(CopyOnDevice(destSurface, destDesc, destRect, srcSurface, sourceDesc, srcRect))) {
    return S_OK;
  }

  // Loading a surface into itself reads a copy of it.
  DWORD lockFlags = surfaceLockReadOnly;
  if (srcSurface == destSurface) lockFlags |= surfaceLockThroughTemporary;
  SurfaceLock lock;
  hr = lock.Lock(srcSurface, srcPalette, srcRect, 0, lockFlags);
  if (FAILED(hr)) return hr;
  const PixelRegion& source = lock.Region();
  const RECT box = RectOf(source.box);
  hr = D3DXLoadSurfaceFromMemory(destSurface, destPalette, destRect, source.pixels, source.format,
                                 source.rowPitch, srcPalette, &box, filter, colorKey);
  lock.Unlock();
  if (FAILED(hr)) return hr;

  if (sourceDesc.Pool == D3DPOOL_DEFAULT && destDesc.Pool != D3DPOOL_DEFAULT) {
    IDirect3DDevice9* device = nullptr;
    if (SUCCEEDED(srcSurface->GetDevice(&device))) {
      const HRESULT level = device->TestCooperativeLevel();
      device->Release();
      if (level != S_OK) return D3DERR_DEVICELOST;
    }
  }
  return S_OK;
}
