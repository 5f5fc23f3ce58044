// Building regions over plain buffers, and one-pixel conversions, for the converter tests.
#pragma once

#include <cstring>
#include <vector>

#include "toolkit/surface/pixel_region.h"
#include "toolkit/surface/row_converter.h"

inline PixelRegion RegionOver(void* pixels, D3DFORMAT format, UINT pitch, UINT width,
                              UINT height = 1, UINT depth = 1, UINT slicePitch = 0) {
  PixelRegion region;
  region.pixels = pixels;
  region.format = format;
  region.rowPitch = pitch;
  region.slicePitch = slicePitch;
  region.fullBox = {0, 0, width, height, 0, depth};
  region.box = region.fullBox;
  return region;
}

// Decodes a pixel given as its first `size` bytes (an integer, little-endian) as `format`.
inline FloatPixel DecodeOne(D3DFORMAT format, unsigned long long bits, UINT size, D3DCOLOR key = 0,
                            const PALETTEENTRY* palette = nullptr) {
  BYTE buffer[16] = {};
  std::memcpy(buffer, &bits, size);
  PixelRegion region = RegionOver(buffer, format, 16, 1);
  region.colorKey = key;
  region.palette = palette;
  RowConverterPtr converter = MakeRowConverter(region);
  FloatPixel out{-9, -9, -9, -9};
  if (converter) converter->DecodeRow(0, 0, &out);
  return out;
}

// Encodes one pixel into `format` and returns its first `size` bytes as an integer.
inline unsigned long long EncodeOne(D3DFORMAT format, FloatPixel pixel, UINT size,
                                    const PALETTEENTRY* palette = nullptr) {
  BYTE buffer[16] = {};
  PixelRegion region = RegionOver(buffer, format, 16, 1);
  region.palette = palette;
  RowConverterPtr converter = MakeRowConverter(region);
  if (converter) converter->EncodeRow(0, 0, &pixel);
  unsigned long long value = 0;
  std::memcpy(&value, buffer, size);
  return value;
}
