#include "toolkit/surface/volume_lock.h"

#include <algorithm>

#include "toolkit/surface/pixel_format.h"

namespace {

bool Inside(const D3DBOX& box, const D3DVOLUME_DESC& desc) {
  return box.Left <= box.Right && box.Top <= box.Bottom && box.Front <= box.Back &&
         box.Right <= desc.Width && box.Bottom <= desc.Height && box.Back <= desc.Depth;
}

bool SameBox(const D3DBOX& a, const D3DBOX& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom &&
         a.Front == b.Front && a.Back == b.Back;
}

// Whole blocks of the block formats and whole pairs of the packed pair formats; an empty box
// locks the whole volume.
D3DBOX LockArea(const D3DBOX& box, const D3DVOLUME_DESC& desc) {
  const D3DBOX whole = {0, 0, desc.Width, desc.Height, 0, desc.Depth};
  if (box.Left == box.Right || box.Top == box.Bottom || box.Front == box.Back) return whole;
  D3DBOX area = box;
  if (IsDxtFormat(desc.Format)) {
    area.Left = box.Left / 4 * 4;
    area.Top = box.Top / 4 * 4;
    area.Right = std::min((box.Right + 3) / 4 * 4, desc.Width);
    area.Bottom = std::min((box.Bottom + 3) / 4 * 4, desc.Height);
  } else if (IsPackedPairFormat(desc.Format)) {
    area.Left = box.Left / 2 * 2;
    area.Right = std::min((box.Right + 1) / 2 * 2, desc.Width);
  }
  return area;
}

}  // namespace

HRESULT VolumeLock::Lock(IDirect3DVolume9* target, const PALETTEENTRY* palette, const D3DBOX* box,
                         D3DCOLOR colorKey, bool readOnly) {
  Unlock();
  if (target == nullptr) return D3DERR_INVALIDCALL;
  D3DVOLUME_DESC desc;
  HRESULT hr = target->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  const D3DBOX whole = {0, 0, desc.Width, desc.Height, 0, desc.Depth};
  const D3DBOX requested = box != nullptr ? *box : whole;
  if (!Inside(requested, desc)) return D3DERR_INVALIDCALL;
  const D3DBOX area = LockArea(requested, desc);
  const DWORD flags = D3DLOCK_NOSYSLOCK | (readOnly ? D3DLOCK_READONLY : 0);
  D3DLOCKED_BOX bits;
  hr = target->LockBox(&bits, SameBox(area, whole) ? nullptr : &area, flags);
  if (FAILED(hr)) return hr;

  volume = target;
  volume->AddRef();
  region.pixels = bits.pBits;
  region.format = desc.Format;
  region.rowPitch = static_cast<UINT>(bits.RowPitch);
  region.slicePitch = static_cast<UINT>(bits.SlicePitch);
  region.fullBox = {
      0, 0, area.Right - area.Left, area.Bottom - area.Top, 0, area.Back - area.Front};
  region.box = {requested.Left - area.Left,   requested.Top - area.Top,
                requested.Right - area.Left,  requested.Bottom - area.Top,
                requested.Front - area.Front, requested.Back - area.Front};
  region.colorKey = colorKey;
  region.palette = palette;
  return S_OK;
}

HRESULT VolumeLock::Unlock() {
  if (volume == nullptr) return S_OK;
  const HRESULT hr = volume->UnlockBox();
  volume->Release();
  volume = nullptr;
  region = PixelRegion{};
  return hr;
}
