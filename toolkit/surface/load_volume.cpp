// D3DXLoadVolumeFromMemory and D3DXLoadVolumeFromVolume: the surface loads with boxes, slice
// pitches and volume locks.
#include "toolkit/common/defaults.h"
#include "toolkit/surface/blitter.h"
#include "toolkit/surface/d3dx_surface.h"
#include "toolkit/surface/volume_lock.h"

namespace {

bool IsOrderedBox(const D3DBOX& box) {
  return box.Left <= box.Right && box.Top <= box.Bottom && box.Front <= box.Back;
}

}  // namespace

HRESULT D3DXLoadVolumeFromMemory(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                 const D3DBOX* destBox, LPCVOID srcMemory, D3DFORMAT srcFormat,
                                 UINT srcRowPitch, UINT srcSlicePitch,
                                 const PALETTEENTRY* srcPalette, const D3DBOX* srcBox, DWORD filter,
                                 D3DCOLOR colorKey) {
  if (destVolume == nullptr || srcMemory == nullptr || srcBox == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  if (filter == D3DX_DEFAULT) filter = defaultLoadFilter;
  if (!IsOrderedBox(*srcBox) || !IsValidFilter(filter)) return D3DERR_INVALIDCALL;

  VolumeLock lock;
  HRESULT hr = lock.Lock(destVolume, destPalette, destBox, 0, false);
  if (FAILED(hr)) return hr;

  PixelRegion source;
  source.pixels = const_cast<void*>(srcMemory);
  source.format = srcFormat;
  source.rowPitch = srcRowPitch;
  source.slicePitch = srcSlicePitch;
  source.fullBox = {srcBox->Left,   srcBox->Top,   srcBox->Right,
                    srcBox->Bottom, srcBox->Front, srcBox->Back};
  source.box = source.fullBox;
  source.colorKey = colorKey;
  source.palette = srcPalette;

  hr = Blitter(lock.Region(), source, filter).Run();
  const HRESULT unlocked = lock.Unlock();
  return FAILED(hr) ? hr : unlocked;
}

HRESULT D3DXLoadVolumeFromVolume(IDirect3DVolume9* destVolume, const PALETTEENTRY* destPalette,
                                 const D3DBOX* destBox, IDirect3DVolume9* srcVolume,
                                 const PALETTEENTRY* srcPalette, const D3DBOX* srcBox, DWORD filter,
                                 D3DCOLOR colorKey) {
  // A volume has no temporary to read itself from while it is being written.
  if (destVolume == nullptr || srcVolume == nullptr || destVolume == srcVolume) {
    return D3DERR_INVALIDCALL;
  }
  VolumeLock lock;
  HRESULT hr = lock.Lock(srcVolume, srcPalette, srcBox, 0, true);
  if (FAILED(hr)) return hr;
  const PixelRegion& source = lock.Region();
  const D3DBOX box = {source.box.left,   source.box.top,   source.box.right,
                      source.box.bottom, source.box.front, source.box.back};
  hr = D3DXLoadVolumeFromMemory(destVolume, destPalette, destBox, source.pixels, source.format,
                                source.rowPitch, source.slicePitch, srcPalette, &box, filter,
                                colorKey);
  lock.Unlock();
  return hr;
}
