// The intermediate pixel of every conversion, and the description of a block of pixels in
// memory that a converter reads or writes.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"

// Unsigned channels hold 0 ... 1, signed ones -1 ... 1, floating-point ones their own value.
struct FloatPixel {
  float r;
  float g;
  float b;
  float a;

  bool operator==(const FloatPixel&) const = default;
};

static_assert(sizeof(FloatPixel) == 16);

// Half-open ranges on three axes, in pixels.
struct PixelBox {
  UINT left;
  UINT top;
  UINT right;
  UINT bottom;
  UINT front;
  UINT back;

  UINT Width() const { return right - left; }
  UINT Height() const { return bottom - top; }
  UINT Depth() const { return back - front; }
};

struct PixelRegion {
  // The first byte of the block: the top-left-front pixel of fullBox.
  void* pixels = nullptr;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  UINT rowPitch = 0;
  // 0 for surfaces.
  UINT slicePitch = 0;
  PixelBox fullBox = {};
  // The part to convert, in the coordinates of fullBox.
  PixelBox box = {};
  BOOL dither = FALSE;
  BOOL diffusion = FALSE;
  BOOL srgb = FALSE;
  // 0xAARRGGBB made transparent black on decode; 0 for none.
  D3DCOLOR colorKey = 0;
  // 256 entries for palettised formats, or null.
  const PALETTEENTRY* palette = nullptr;
};
