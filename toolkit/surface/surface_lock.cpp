#include "toolkit/surface/surface_lock.h"

#include <algorithm>
#include <cstring>

#include "toolkit/common/debug_mute.h"
#include "toolkit/surface/pixel_format.h"

namespace {

template <typename T>
void ReleaseAndClear(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Inside(const RECT& rect, const D3DSURFACE_DESC& desc) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
         static_cast<UINT>(rect.right) <= desc.Width &&
         static_cast<UINT>(rect.bottom) <= desc.Height;
}

LONG RoundDown(LONG value, LONG step) { return value / step * step; }
LONG RoundUp(LONG value, LONG step, LONG limit) {
  return std::min((value + step - 1) / step * step, limit);
}

// The rectangle to lock for `rect`: whole blocks of the block formats and whole pixel pairs of
// the packed pair formats. An empty rectangle locks the whole surface (the device refuses
// empty locks).
RECT LockArea(const RECT& rect, const D3DSURFACE_DESC& desc) {
  const RECT whole = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
  if (rect.left == rect.right || rect.top == rect.bottom) return whole;
  RECT area = rect;
  if (IsDxtFormat(desc.Format)) {
    area = {RoundDown(rect.left, 4), RoundDown(rect.top, 4), RoundUp(rect.right, 4, whole.right),
            RoundUp(rect.bottom, 4, whole.bottom)};
  } else if (IsPackedPairFormat(desc.Format)) {
    area.left = RoundDown(rect.left, 2);
    area.right = RoundUp(rect.right, 2, whole.right);
  }
  return area;
}

// Rows of memory: rows of blocks for the block formats.
UINT MemoryRows(D3DFORMAT format, UINT height) {
  return IsDxtFormat(format) ? (height + 3) / 4 : height;
}

// The copy of CopySurfaceContents, for callers that already mute the debug layer.
HRESULT CopyContents(IDirect3DSurface9* source, IDirect3DSurface9* destination) {
  D3DSURFACE_DESC from, to;
  HRESULT hr = source->GetDesc(&from);
  if (SUCCEEDED(hr)) hr = destination->GetDesc(&to);
  if (FAILED(hr)) return hr;
  D3DLOCKED_RECT in, out;
  hr = source->LockRect(&in, nullptr, 0);
  if (FAILED(hr)) return hr;
  hr = destination->LockRect(&out, nullptr, 0);
  if (FAILED(hr)) {
    source->UnlockRect();
    return hr;
  }
  const UINT rows = MemoryRows(from.Format, std::min(from.Height, to.Height));
  const auto bytes = static_cast<std::size_t>(std::min(in.Pitch, out.Pitch));
  for (UINT y = 0; y < rows; ++y) {
    std::memcpy(static_cast<BYTE*>(out.pBits) + static_cast<std::size_t>(y) * out.Pitch,
                static_cast<const BYTE*>(in.pBits) + static_cast<std::size_t>(y) * in.Pitch, bytes);
  }
  const HRESULT unlockedOut = destination->UnlockRect();
  const HRESULT unlockedIn = source->UnlockRect();
  return FAILED(unlockedOut) ? unlockedOut : unlockedIn;
}

}  // namespace

HRESULT CopySurfaceContents(IDirect3DSurface9* source, IDirect3DSurface9* destination) {
  D3DXDebugMute(TRUE);
  const HRESULT hr = CopyContents(source, destination);
  D3DXDebugMute(FALSE);
  return hr;
}

void SurfaceLock::ReleaseAll() {
  locked = nullptr;
  ReleaseAndClear(temporary);
  ReleaseAndClear(temporaryTexture);
  ReleaseAndClear(device);
  ReleaseAndClear(surface);
  region = PixelRegion{};
}

bool SurfaceLock::MayDiscard(const D3DSURFACE_DESC& desc, bool whole) const {
  if (!whole || (flags & (surfaceLockReadOnly | surfaceLockThroughTemporary)) != 0) return false;
  if ((desc.Usage & D3DUSAGE_DYNAMIC) == 0) return false;
  if ((flags & surfaceLockMayDiscard) != 0) return true;
  IDirect3DTexture9* container = nullptr;
  if (FAILED(surface->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container))) ||
      container == nullptr) {
    return false;
  }
  const bool singleLevel = container->GetLevelCount() == 1;
  container->Release();
  return singleLevel;
}

HRESULT SurfaceLock::CopyThroughRenderTarget(const D3DSURFACE_DESC& desc) {
  IDirect3DSurface9* target = nullptr;
  HRESULT hr = device->CreateRenderTarget(desc.Width, desc.Height, desc.Format, D3DMULTISAMPLE_NONE,
                                          0, TRUE, &target, nullptr);
  if (FAILED(hr)) return hr;
  hr = device->StretchRect(surface, nullptr, target, nullptr, D3DTEXF_NONE);
  if (SUCCEEDED(hr)) hr = CopySurfaceContents(target, temporary);
  target->Release();
  return hr;
}

HRESULT SurfaceLock::MakeTemporary(const D3DSURFACE_DESC& desc, bool keepContents) {
  HRESULT hr = surface->GetDevice(&device);
  if (FAILED(hr)) return hr;
  // Block formats need sizes in whole blocks: the temporary is a lower level of a texture
  // large enough for its top level to have them.
  UINT shift = 0;
  if (IsDxtFormat(desc.Format)) {
    while (((desc.Width << shift) % 4 != 0 || (desc.Height << shift) % 4 != 0) && shift < 2) {
      ++shift;
    }
  }
  const D3DPOOL pool = desc.Pool == D3DPOOL_SCRATCH ? D3DPOOL_SCRATCH : D3DPOOL_SYSTEMMEM;
  hr = device->CreateTexture(desc.Width << shift, desc.Height << shift, shift + 1, 0, desc.Format,
                             pool, &temporaryTexture, nullptr);
  if (SUCCEEDED(hr)) hr = temporaryTexture->GetSurfaceLevel(shift, &temporary);
  if (FAILED(hr) || !keepContents) return hr;
  hr = CopySurfaceContents(surface, temporary);
  if (FAILED(hr) && shift == 0) hr = CopyThroughRenderTarget(desc);
  return hr;
}

HRESULT SurfaceLock::LockSurface(IDirect3DSurface9* target, const RECT* area, DWORD lockFlags) {
  D3DLOCKED_RECT bits;
  const HRESULT hr = target->LockRect(&bits, area, lockFlags);
  if (FAILED(hr)) return hr;
  locked = target;
  region.pixels = bits.pBits;
  region.rowPitch = static_cast<UINT>(bits.Pitch);
  return S_OK;
}

HRESULT SurfaceLock::Lock(IDirect3DSurface9* target, const PALETTEENTRY* palette, const RECT* rect,
                          D3DCOLOR colorKey, DWORD lockFlags) {
  Unlock();
  if (target == nullptr) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  HRESULT hr = target->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  const RECT whole = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
  const RECT requested = rect != nullptr ? *rect : whole;
  if (!Inside(requested, desc)) return D3DERR_INVALIDCALL;

  flags = lockFlags;
  surface = target;
  surface->AddRef();
  // Only a lock of the whole rectangle asked for may lose the old contents: a rectangle
  // widened to the whole surface still leaves pixels around it to keep.
  const bool asksWhole = SameRect(requested, whole);
  const RECT area = LockArea(requested, desc);
  const bool locksWhole = SameRect(area, whole);
  DWORD deviceFlags = D3DLOCK_NOSYSLOCK;
  if ((flags & surfaceLockReadOnly) != 0) deviceFlags |= D3DLOCK_READONLY;
  if (MayDiscard(desc, asksWhole)) deviceFlags |= D3DLOCK_DISCARD;

  const RECT* lockRect = locksWhole ? nullptr : &area;
  hr = E_FAIL;
  if ((flags & surfaceLockThroughTemporary) == 0) hr = LockSurface(surface, lockRect, deviceFlags);
  if (FAILED(hr)) {
    flags |= surfaceLockThroughTemporary;
    const bool keepContents = !asksWhole || (flags & surfaceLockReadOnly) != 0;
    deviceFlags &= ~D3DLOCK_DISCARD;
    hr = MakeTemporary(desc, keepContents);
    if (SUCCEEDED(hr)) hr = LockSurface(temporary, lockRect, deviceFlags);
  }
  if (FAILED(hr)) {
    ReleaseAll();
    return hr;
  }

  region.format = desc.Format;
  region.slicePitch = 0;
  region.fullBox = {
      0, 0, static_cast<UINT>(area.right - area.left), static_cast<UINT>(area.bottom - area.top),
      0, 1};
  region.box = {static_cast<UINT>(requested.left - area.left),
                static_cast<UINT>(requested.top - area.top),
                static_cast<UINT>(requested.right - area.left),
                static_cast<UINT>(requested.bottom - area.top),
                0,
                1};
  region.colorKey = colorKey;
  region.palette = palette;
  return S_OK;
}

HRESULT SurfaceLock::Unlock() {
  if (locked == nullptr) {
    ReleaseAll();
    return S_OK;
  }
  HRESULT hr = locked->UnlockRect();
  if (temporary != nullptr && (flags & surfaceLockReadOnly) == 0) {
    D3DXDebugMute(TRUE);
    if (FAILED(device->UpdateSurface(temporary, nullptr, surface, nullptr))) {
      hr = CopyContents(temporary, surface);
    }
    D3DXDebugMute(FALSE);
  }
  ReleaseAll();
  return hr;
}

void SurfaceLock::Abandon() {
  if (locked != nullptr) locked->UnlockRect();
  ReleaseAll();
}
