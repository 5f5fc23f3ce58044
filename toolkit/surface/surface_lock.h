// SurfaceLock: a surface locked for the surface loader, described as a PixelRegion.
//
// A surface that cannot be locked (a D3DPOOL_DEFAULT surface without D3DUSAGE_DYNAMIC, or one
// already locked) is reached through a temporary copy in system memory (or scratch memory for
// a scratch surface): the old contents are copied in when they must survive, and on Unlock a
// writable lock is written back with IDirect3DDevice9::UpdateSurface, or by CPU copy when the
// device refuses. A surface the CPU cannot read is first stretched into a lockable render
// target of its size.
//
// The lock holds a reference to the surface (and to the temporary, its texture and the
// device) until Unlock or destruction.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/surface/pixel_region.h"

// Lock flags.
constexpr DWORD surfaceLockReadOnly = 0x1;
constexpr DWORD surfaceLockThroughTemporary = 0x10000;
// A whole writable lock of a dynamic surface may discard without asking its container.
constexpr DWORD surfaceLockMayDiscard = 0x20000;

// Copies `source` into `destination` byte for byte (same size and format): the shorter of the
// two pitches per row, a row of blocks at a time for block formats. Both are locked whole.
HRESULT CopySurfaceContents(IDirect3DSurface9* source, IDirect3DSurface9* destination);

class SurfaceLock {
 public:
  SurfaceLock() = default;
  ~SurfaceLock() { Unlock(); }
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;

  // Locks `rect` of `surface` (null: the whole surface). D3DERR_INVALIDCALL for a rectangle
  // outside the surface or inverted; device failures of the lock and of the temporary pass on.
  HRESULT Lock(IDirect3DSurface9* surface, const PALETTEENTRY* palette, const RECT* rect,
               D3DCOLOR colorKey, DWORD flags);
  // Unlocks and writes the temporary back. S_OK, or the failure of the copy that wrote back.
  HRESULT Unlock();
  // Unlocks without writing the temporary back, after a load that failed: the surface keeps
  // its old contents rather than whatever the temporary holds.
  void Abandon();

  // The locked pixels: `box` is the rectangle asked for, relative to the locked memory.
  const PixelRegion& Region() const { return region; }

 private:
  HRESULT LockSurface(IDirect3DSurface9* target, const RECT* area, DWORD lockFlags);
  HRESULT MakeTemporary(const D3DSURFACE_DESC& desc, bool keepContents);
  HRESULT CopyThroughRenderTarget(const D3DSURFACE_DESC& desc);
  bool MayDiscard(const D3DSURFACE_DESC& desc, bool whole) const;
  void ReleaseAll();

  DWORD flags = 0;
  IDirect3DSurface9* surface = nullptr;
  IDirect3DSurface9* temporary = nullptr;
  IDirect3DTexture9* temporaryTexture = nullptr;
  IDirect3DDevice9* device = nullptr;
  // The surface whose LockRect succeeded (surface or temporary), until Unlock.
  IDirect3DSurface9* locked = nullptr;
  PixelRegion region;
};
