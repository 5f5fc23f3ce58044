// The palettised formats: an 8-bit index into the converter's float palette, and for
// D3DFMT_A8P8 an alpha byte above it. Encoding picks the nearest entry (the lowest index of
// equally near ones); indices are not dithered.
#include <cstdint>
#include <cstring>

#include "toolkit/surface/converter_families.h"

namespace {

float SquaredDistance(const FloatPixel& a, const FloatPixel& b, bool withAlpha) {
  const float dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  const float da = withAlpha ? a.a - b.a : 0.0f;
  return dr * dr + dg * dg + db * db + da * da;
}

// Remembers the last colour looked up: images repeat colours in runs.
class NearestEntry {
 public:
  NearestEntry(const FloatPixel* entries, bool alphaCounts)
      : palette(entries), withAlpha(alphaCounts) {}

  BYTE Find(const FloatPixel& colour) {
    if (hasLast && Same(colour, last)) return lastIndex;
    BYTE best = 0;
    float bestDistance = SquaredDistance(colour, palette[0], withAlpha);
    for (int i = 1; i < 256; ++i) {
      const float d = SquaredDistance(colour, palette[i], withAlpha);
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<BYTE>(i);
      }
    }
    hasLast = true;
    last = colour;
    lastIndex = best;
    return best;
  }

 private:
  bool Same(const FloatPixel& a, const FloatPixel& b) const {
    return a.r == b.r && a.g == b.g && a.b == b.b && (!withAlpha || a.a == b.a);
  }

  const FloatPixel* palette;
  bool withAlpha;
  bool hasLast = false;
  FloatPixel last = {};
  BYTE lastIndex = 0;
};

BYTE QuantiseByte(float v, float t) {
  float x = v * 255.0f + t;
  x = x > 0.0f ? x : 0.0f;
  x = x < 255.0f ? x : 255.0f;
  return static_cast<BYTE>(static_cast<int>(x));
}

class P8Converter final : public RowConverter {
 public:
  explicit P8Converter(const PixelRegion& region) : RowConverter(region, 1) {}

 protected:
  void DecodePixels(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = RowAddress(row, slice);
    const FloatPixel* palette = FloatPaletteData();
    for (UINT x = 0; x < Width(); ++x) out[x] = palette[p[x]];
  }

  void EncodePixels(UINT row, UINT slice, const FloatPixel* in) override {
    BYTE* p = RowAddress(row, slice);
    NearestEntry nearest(FloatPaletteData(), true);
    for (UINT x = 0; x < Width(); ++x) p[x] = nearest.Find(in[x]);
  }
};

class A8P8Converter final : public RowConverter {
 public:
  explicit A8P8Converter(const PixelRegion& region) : RowConverter(region, 2) {}

 protected:
  void DecodePixels(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = RowAddress(row, slice);
    const FloatPixel* palette = FloatPaletteData();
    for (UINT x = 0; x < Width(); ++x) {
      const FloatPixel& entry = palette[p[2 * x]];
      out[x] = {entry.r, entry.g, entry.b, static_cast<float>(p[2 * x + 1]) * (1.0f / 255.0f)};
    }
  }

  void EncodePixels(UINT row, UINT slice, const FloatPixel* in) override {
    BYTE* p = RowAddress(row, slice);
    NearestEntry nearest(FloatPaletteData(), false);
    const float* pattern = ThresholdPattern();
    for (UINT x = 0; x < Width(); ++x) {
      p[2 * x] = nearest.Find(in[x]);
      p[2 * x + 1] = QuantiseByte(in[x].a, pattern[x & 3]);
    }
  }
};

}  // namespace

RowConverter* CreatePaletteConverter(const PixelRegion& region) {
  if (region.format == D3DFMT_P8) return new (std::nothrow) P8Converter(region);
  if (region.format == D3DFMT_A8P8) return new (std::nothrow) A8P8Converter(region);
  return nullptr;
}
