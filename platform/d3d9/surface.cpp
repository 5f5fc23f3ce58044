#include "platform/d3d9/surface.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"

namespace d3d9 {

bool IsLockable(D3DPOOL pool, DWORD usage, bool askedLockable) {
  if (pool != D3DPOOL_DEFAULT) return true;
  return (usage & D3DUSAGE_DYNAMIC) != 0 || askedLockable;
}

bool IsValidLockRect(const RECT& rect, D3DFORMAT format, UINT width, UINT height) {
  if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom) {
    return false;
  }
  if (UINT(rect.right) > width || UINT(rect.bottom) > height) return false;
  if (!IsBlockFormat(format)) return true;
  const auto aligned = [](LONG value, UINT size) { return value % 4 == 0 || UINT(value) == size; };
  return rect.left % 4 == 0 && rect.top % 4 == 0 && aligned(rect.right, width) &&
         aligned(rect.bottom, height);
}

// --- Surface ---------------------------------------------------------------------------------

Surface::Surface(Device* device, const SurfaceShape& described)
    : ResourceObject(device, D3DRTYPE_SURFACE, described.usage, described.pool),
      shape(described),
      image(std::make_unique<Image>(described.format, described.width, described.height, 1)) {}

Surface::Surface(Device* device, const SurfaceShape& described, IUnknown* owner)
    : Surface(device, described) {
  container = owner;
}

ULONG Surface::AddRef() {
  return container != nullptr ? container->AddRef() : ResourceObject::AddRef();
}

ULONG Surface::Release() {
  return container != nullptr ? container->Release() : ResourceObject::Release();
}

HRESULT Surface::GetContainer(REFIID riid, void** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  // A surface of its own belongs to the device.
  if (container == nullptr) return OwnerDevice()->QueryInterface(riid, out);
  return container->QueryInterface(riid, out);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {shape.format, D3DRTYPE_SURFACE, shape.usage, shape.pool,
           shape.multiSample, shape.multiSampleQuality, shape.width, shape.height};
  return S_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
  const HRESULT entered = OwnerDevice()->Enter("IDirect3DSurface9::LockRect",
                                               {Arg(this), Arg(rect), std::int64_t(flags)});
  if (FAILED(entered)) return entered;
  return Lock(out, rect, flags);
}

HRESULT Surface::UnlockRect() {
  const HRESULT entered = OwnerDevice()->Enter("IDirect3DSurface9::UnlockRect", {Arg(this)});
  if (FAILED(entered)) return entered;
  return Unlock();
}

HRESULT Surface::Lock(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
  if (out == nullptr || locked || !shape.lockable) return D3DERR_INVALIDCALL;
  const RECT whole = {0, 0, LONG(shape.width), LONG(shape.height)};
  const RECT area = rect != nullptr ? *rect : whole;
  if (!IsValidLockRect(area, shape.format, shape.width, shape.height)) return D3DERR_INVALIDCALL;
  const FormatInfo* info = FindFormat(shape.format);
  const UINT x = UINT(area.left);
  const UINT y = UINT(area.top);
  BYTE* bits = info->blockBytes != 0
                   ? image->Row(y / 4) + std::size_t(x / 4) * info->blockBytes
                   : image->Row(y) + std::size_t(x) * (info->bitsPerPixel / 8);
  out->Pitch = INT(image->RowPitch());
  out->pBits = bits;
  locked = true;
  lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
  return S_OK;
}

HRESULT Surface::Unlock() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  if (!lockedReadOnly) image->Touch();
  return S_OK;
}

// Drawing on surfaces with GDI is not offered.
HRESULT Surface::GetDC(HDC* dc) {
  if (dc == nullptr) return D3DERR_INVALIDCALL;
  return D3DERR_INVALIDCALL;
}

HRESULT Surface::ReleaseDC(HDC) { return D3DERR_INVALIDCALL; }

// --- Volume ----------------------------------------------------------------------------------

Volume::Volume(Device* device, D3DFORMAT format, UINT width, UINT height, UINT depth,
               DWORD usageFlags, D3DPOOL memoryPool, IUnknown* owner)
    : link(device),
      image(format, width, height, depth),
      usage(usageFlags),
      pool(memoryPool),
      container(owner) {}

ULONG Volume::AddRef() { return container->AddRef(); }
ULONG Volume::Release() { return container->Release(); }

HRESULT Volume::GetDevice(IDirect3DDevice9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return link.HandOutDevice(out);
}

HRESULT Volume::SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) {
  return privateData.Set(guid, data, size, flags);
}
HRESULT Volume::GetPrivateData(REFGUID guid, void* data, DWORD* size) {
  return privateData.Get(guid, data, size);
}
HRESULT Volume::FreePrivateData(REFGUID guid) { return privateData.Free(guid); }

HRESULT Volume::GetContainer(REFIID riid, void** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  return container->QueryInterface(riid, out);
}

HRESULT Volume::GetDesc(D3DVOLUME_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {image.Format(), D3DRTYPE_VOLUME, usage, pool,
           image.Width(), image.Height(), image.Depth()};
  return S_OK;
}

HRESULT Volume::LockBox(D3DLOCKED_BOX* out, const D3DBOX* box, DWORD flags) {
  const HRESULT entered =
      link.Get()->Enter("IDirect3DVolume9::LockBox", {Arg(this), Arg(box), std::int64_t(flags)});
  if (FAILED(entered)) return entered;
  return Lock(out, box, flags);
}

HRESULT Volume::UnlockBox() {
  const HRESULT entered = link.Get()->Enter("IDirect3DVolume9::UnlockBox", {Arg(this)});
  if (FAILED(entered)) return entered;
  return Unlock();
}

HRESULT Volume::Lock(D3DLOCKED_BOX* out, const D3DBOX* box, DWORD flags) {
  if (out == nullptr || locked || !IsLockable(pool, usage, false)) return D3DERR_INVALIDCALL;
  const D3DBOX whole = {0, 0, image.Width(), image.Height(), 0, image.Depth()};
  const D3DBOX area = box != nullptr ? *box : whole;
  const RECT face = {LONG(area.Left), LONG(area.Top), LONG(area.Right), LONG(area.Bottom)};
  if (area.Front >= area.Back || area.Back > image.Depth() ||
      !IsValidLockRect(face, image.Format(), image.Width(), image.Height())) {
    return D3DERR_INVALIDCALL;
  }
  const FormatInfo* info = FindFormat(image.Format());
  BYTE* bits = info->blockBytes != 0
                   ? image.Row(area.Top / 4, area.Front) + std::size_t(area.Left / 4) * info->blockBytes
                   : image.Row(area.Top, area.Front) +
                         std::size_t(area.Left) * (info->bitsPerPixel / 8);
  out->RowPitch = INT(image.RowPitch());
  out->SlicePitch = INT(image.SlicePitch());
  out->pBits = bits;
  locked = true;
  lockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
  return S_OK;
}

HRESULT Volume::Unlock() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  if (!lockedReadOnly) image.Touch();
  return S_OK;
}

}  // namespace d3d9
