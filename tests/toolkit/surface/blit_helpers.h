// Loads between plain buffers through the Blitter, for the strategy and filter tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "region_helpers.h"
#include "toolkit/surface/blitter.h"

// An image of 32-bit pixels, row after row, with its size.
struct Image32 {
  UINT width = 0;
  UINT height = 0;
  std::vector<std::uint32_t> pixels;

  Image32() = default;
  Image32(UINT w, UINT h, std::uint32_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}
  std::uint32_t& At(UINT x, UINT y) { return pixels[y * width + x]; }
  std::uint32_t At(UINT x, UINT y) const { return pixels[y * width + x]; }
  void* Data() { return pixels.data(); }
};

// Blits `source` (format `sourceFormat`) into `dest` (format `destFormat`), whole boxes.
inline HRESULT BlitImages(Image32& dest, D3DFORMAT destFormat, Image32& source,
                          D3DFORMAT sourceFormat, DWORD filter, D3DCOLOR key = 0) {
  PixelRegion to = RegionOver(dest.Data(), destFormat, dest.width * 4, dest.width, dest.height);
  PixelRegion from =
      RegionOver(source.Data(), sourceFormat, source.width * 4, source.width, source.height);
  from.colorKey = key;
  return Blitter(to, from, filter).Run();
}

// One row of float pixels through a filter into another width (A32B32G32R32F on both sides).
inline std::vector<FloatPixel> ResampleRow(std::vector<FloatPixel> source, UINT destWidth,
                                           DWORD filter, HRESULT* result = nullptr) {
  std::vector<FloatPixel> dest(destWidth, FloatPixel{-1, -1, -1, -1});
  const auto count = static_cast<UINT>(source.size());
  PixelRegion to = RegionOver(dest.data(), D3DFMT_A32B32G32R32F, destWidth * 16, destWidth);
  PixelRegion from = RegionOver(source.data(), D3DFMT_A32B32G32R32F, count * 16, count);
  const HRESULT hr = Blitter(to, from, filter).Run();
  if (result != nullptr) *result = hr;
  return dest;
}

// A deterministic pseudo-random ARGB image.
inline Image32 NoiseImage(UINT w, UINT h, std::uint32_t seed) {
  Image32 image(w, h);
  std::uint32_t state = seed;
  for (auto& p : image.pixels) {
    state = state * 1664525u + 1013904223u;
    p = state ^ (state >> 13);
  }
  return image;
}

// (a + b + c + d + 2) >> 2 in each byte lane: the box filter's 8-bit result.
inline std::uint32_t ByteAverage(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                 std::uint32_t d) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) +
                              ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF) + 2;
    out |= (sum >> 2) << shift;
  }
  return out;
}
