// The formats that store two horizontally adjacent pixels in four bytes, each pixel with its
// own luma (or green) and the pair sharing chroma (or red and blue). Memory order:
//   D3DFMT_YUY2  Y0 U Y1 V      D3DFMT_UYVY  U Y0 V Y1
//   D3DFMT_G8R8_G8B8  G0 R G1 B  D3DFMT_R8G8_B8G8  R G0 B G1
// YUV is ITU-R BT.601 with video range (luma 16 ... 235, chroma 16 ... 240). Encoding
// averages the pair's chroma. A pair cut by the box edge keeps its other pixel from memory.
#include <algorithm>

#include "toolkit/surface/converter_families.h"

namespace {

struct PairLayout {
  int first, shared0, second, shared1;  // byte offsets of pixel 0, U/R, pixel 1, V/B
  bool yuv;
};

constexpr PairLayout yuy2{0, 1, 2, 3, true};
constexpr PairLayout uyvy{1, 0, 3, 2, true};
constexpr PairLayout g8r8g8b8{0, 1, 2, 3, false};
constexpr PairLayout r8g8b8g8{1, 0, 3, 2, false};

float Clamp01(float x) {
  x = x > 0.0f ? x : 0.0f;
  return x < 1.0f ? x : 1.0f;
}

BYTE ToByte(float units, float threshold) {
  float x = units + threshold;
  x = x > 0.0f ? x : 0.0f;
  x = x < 255.0f ? x : 255.0f;
  return static_cast<BYTE>(static_cast<int>(x));
}

// Per-pixel value and the two shared values, in byte units.
struct PairValues {
  float own[2];
  float shared[2];
};

FloatPixel DecodeYuv(float y, float u, float v) {
  const float c = 1.164f * (y - 16.0f), d = u - 128.0f, e = v - 128.0f;
  constexpr float scale = 1.0f / 255.0f;
  return {Clamp01((c + 1.596f * e) * scale), Clamp01((c - 0.391f * d - 0.813f * e) * scale),
          Clamp01((c + 2.018f * d) * scale), 1.0f};
}

float Luma(const FloatPixel& p) { return 16.0f + 65.481f * p.r + 128.553f * p.g + 24.966f * p.b; }
float ChromaU(const FloatPixel& p) {
  return 128.0f - 37.797f * p.r - 74.203f * p.g + 112.0f * p.b;
}
float ChromaV(const FloatPixel& p) {
  return 128.0f + 112.0f * p.r - 93.786f * p.g - 18.214f * p.b;
}

class PackedPairConverter final : public RowConverter {
 public:
  PackedPairConverter(const PixelRegion& region, PairLayout pairLayout)
      : RowConverter(region, 0),
        layout(pairLayout),
        box(region.box),
        surfaceRight(region.fullBox.right) {}

 protected:
  void DecodePixels(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* line = Line(row, slice);
    for (UINT i = 0; i < Width(); ++i) out[i] = DecodeAt(line, box.left + i);
  }

  void EncodePixels(UINT row, UINT slice, const FloatPixel* in) override {
    BYTE* line = Line(row, slice);
    const float* pattern = ThresholdPattern();
    const UINT firstPair = box.left / 2, endPair = (box.right + 1) / 2;
    for (UINT pair = firstPair; pair < endPair; ++pair) {
      const FloatPixel p0 = PixelFor(line, in, 2 * pair);
      const FloatPixel p1 = PixelFor(line, in, 2 * pair + 1);
      const float t0 = pattern[(2 * pair - box.left) & 3];
      const float t1 = pattern[(2 * pair + 1 - box.left) & 3];
      StorePair(line + 4 * pair, p0, p1, t0, t1);
    }
  }

  void QuantiseKey(FloatPixel& key) override {
    BYTE pair[4];
    {
      TruncatingRounding truncating;
      StorePair(pair, key, key, 0.5f, 0.5f);
    }
    key = DecodePair(pair, 0);
  }

 private:
  BYTE* Line(UINT row, UINT slice) const {
    return Pixels() + static_cast<std::size_t>(box.top + row) * RowPitch() +
           static_cast<std::size_t>(box.front + slice) * SlicePitch();
  }

  FloatPixel DecodePair(const BYTE* pair, UINT which) const {
    const float own = pair[which == 0 ? layout.first : layout.second];
    const float s0 = pair[layout.shared0], s1 = pair[layout.shared1];
    if (layout.yuv) return DecodeYuv(own, s0, s1);
    constexpr float scale = 1.0f / 255.0f;
    return {s0 * scale, own * scale, s1 * scale, 1.0f};
  }

  FloatPixel DecodeAt(const BYTE* line, UINT x) const {
    return DecodePair(line + 4 * (x / 2), x & 1);
  }

  // Pixel x of the pair being encoded: from the row when inside the box, from memory when
  // on the surface, else its partner (the odd column past the surface's edge).
  FloatPixel PixelFor(const BYTE* line, const FloatPixel* in, UINT x) const {
    if (x >= box.left && x < box.right) return in[x - box.left];
    if (x < surfaceRight) return DecodeAt(line, x);
    return in[(x ^ 1) - box.left];
  }

  void StorePair(BYTE* pair, const FloatPixel& p0, const FloatPixel& p1, float t0,
                 float t1) const {
    PairValues v;
    if (layout.yuv) {
      v = {{Luma(p0), Luma(p1)},
           {(ChromaU(p0) + ChromaU(p1)) * 0.5f, (ChromaV(p0) + ChromaV(p1)) * 0.5f}};
    } else {
      v = {{Clamp01(p0.g) * 255.0f, Clamp01(p1.g) * 255.0f},
           {(Clamp01(p0.r) + Clamp01(p1.r)) * 127.5f, (Clamp01(p0.b) + Clamp01(p1.b)) * 127.5f}};
    }
    pair[layout.first] = ToByte(v.own[0], t0);
    pair[layout.second] = ToByte(v.own[1], t1);
    pair[layout.shared0] = ToByte(v.shared[0], 0.5f);
    pair[layout.shared1] = ToByte(v.shared[1], 0.5f);
  }

  PairLayout layout;
  PixelBox box;
  UINT surfaceRight;
};

}  // namespace

RowConverter* CreatePackedPairConverter(const PixelRegion& region) {
  switch (region.format) {
    case D3DFMT_YUY2:
      return new (std::nothrow) PackedPairConverter(region, yuy2);
    case D3DFMT_UYVY:
      return new (std::nothrow) PackedPairConverter(region, uyvy);
    case D3DFMT_G8R8_G8B8:
      return new (std::nothrow) PackedPairConverter(region, g8r8g8b8);
    case D3DFMT_R8G8_B8G8:
      return new (std::nothrow) PackedPairConverter(region, r8g8b8g8);
    default:
      return nullptr;
  }
}
