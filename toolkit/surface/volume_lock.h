// VolumeLock: a volume locked for the volume loader, described as a PixelRegion. The twin of
// SurfaceLock with boxes and slice pitches, without a temporary: a volume the CPU cannot lock
// cannot be loaded.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/surface/pixel_region.h"

class VolumeLock {
 public:
  VolumeLock() = default;
  ~VolumeLock() { Unlock(); }
  VolumeLock(const VolumeLock&) = delete;
  VolumeLock& operator=(const VolumeLock&) = delete;

  // Locks `box` of `volume` (null: the whole volume), read-only when `readOnly`.
  // D3DERR_INVALIDCALL for a box outside the volume or inverted; device failures pass on.
  HRESULT Lock(IDirect3DVolume9* volume, const PALETTEENTRY* palette, const D3DBOX* box,
               D3DCOLOR colorKey, bool readOnly);
  HRESULT Unlock();

  // The locked pixels: `box` is the box asked for, relative to the locked memory.
  const PixelRegion& Region() const { return region; }

 private:
  IDirect3DVolume9* volume = nullptr;
  PixelRegion region;
};
