// Surfaces and volumes: one level of memory with its description and its lock.
//
// A surface is either an object of its own (render target, depth stencil, off-screen plain
// surface, back buffer) or a level of a texture; a level shares the reference count of its
// container, as in Direct3D 9, and is destroyed with it. Volumes are always levels.
#pragma once

#include <memory>

#include "platform/d3d9/image.h"
#include "platform/d3d9/raster/known_depth.h"
#include "platform/d3d9/resource.h"

namespace d3d9 {

struct SurfaceShape {
  D3DFORMAT format;
  UINT width;
  UINT height;
  DWORD usage;
  D3DPOOL pool;
  bool lockable;  // whether LockRect may succeed, by the pool rules
  D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE;
  DWORD multiSampleQuality = 0;
};

// The pool rules of hardware: default-pool memory is out of reach unless it is dynamic or was
// asked for as lockable.
bool IsLockable(D3DPOOL pool, DWORD usage, bool askedLockable);

// Checks a lock rectangle against a level (and, for block formats, its 4 x 4 grid).
bool IsValidLockRect(const RECT& rect, D3DFORMAT format, UINT width, UINT height);

class Surface final : public ResourceObject<IDirect3DSurface9> {
 public:
  // A surface of its own; throws std::bad_alloc.
  Surface(Device* device, const SurfaceShape& described);
  // A level of `container`, which owns it and calls DestroyLevel.
  Surface(Device* device, const SurfaceShape& described, IUnknown* owner);

  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetContainer(REFIID riid, void** container) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  HRESULT GetDC(HDC* dc) override;
  HRESULT ReleaseDC(HDC dc) override;

  // The lock itself, shared with the container's LockRect (which logs under its own name).
  HRESULT Lock(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT Unlock();
  bool IsLocked() const { return locked; }

  const SurfaceShape& Shape() const { return shape; }
  Image& Pixels() { return *image; }
  const Image& Pixels() const { return *image; }
  // What draws and clears know of a depth-stencil surface's cells.
  KnownDepth& Known() { return known; }
  // A level in a texture of the same device, of a usable pool.
  bool IsTextureLevel() const { return container != nullptr; }

  void DestroyLevel() { delete this; }

 private:
  SurfaceShape shape;
  std::unique_ptr<Image> image;
  KnownDepth known;
  IUnknown* container = nullptr;
  bool locked = false;
  bool lockedReadOnly = false;
};

class Volume final : public ComObject<IDirect3DVolume9> {
 public:
  Volume(Device* device, D3DFORMAT format, UINT width, UINT height, UINT depth, DWORD usageFlags,
         D3DPOOL memoryPool, IUnknown* owner);

  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  HRESULT SetPrivateData(REFGUID guid, const void* data, DWORD size, DWORD flags) override;
  HRESULT GetPrivateData(REFGUID guid, void* data, DWORD* size) override;
  HRESULT FreePrivateData(REFGUID guid) override;
  HRESULT GetContainer(REFIID riid, void** container) override;
  HRESULT GetDesc(D3DVOLUME_DESC* desc) override;
  HRESULT LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
  HRESULT UnlockBox() override;

  HRESULT Lock(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags);
  HRESULT Unlock();
  bool IsLocked() const { return locked; }
  Image& Pixels() { return image; }
  D3DPOOL Pool() const { return pool; }
  DWORD Usage() const { return usage; }
  Device* OwnerDevice() const { return link.Get(); }

  void DestroyLevel() { delete this; }

 private:
  DeviceLink link;
  Image image;
  DWORD usage;
  D3DPOOL pool;
  IUnknown* container;
  PrivateData privateData;
  bool locked = false;
  bool lockedReadOnly = false;
};

}  // namespace d3d9
