// PackedConverter<Layout>: the converter of a format whose pixel is one little-endian word of
// bit fields (the colour, luminance, signed and lockable-depth formats).
//
// A Layout names, for each FloatPixel channel r, g, b, a, the field that holds it (shift,
// width, signedness) or the value it decodes to when the format has no such field. Every
// format is its own instantiation, so each row loop is straight-line code for one layout.
//
//   struct Layout {
//     using Word = std::uint32_t;           // holds one pixel
//     static constexpr UINT bytes = 4;      // bytes per pixel in memory
//     static constexpr Channel r, g, b, a;  // Field(shift, bits) / Signed(...) / Fill(value)
//     static constexpr Derived derived;     // luminance or computed blue, if any
//   };
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/surface/row_converter.h"

struct Channel {
  int shift;
  int bits;  // 0: not stored, decodes to `fill`
  bool isSigned;
  float fill;

  constexpr bool Stored() const { return bits > 0; }
  // The largest magnitude of the field: 2^n - 1, or 2^(n-1) - 1 when signed.
  constexpr int Max() const { return isSigned ? (1 << (bits - 1)) - 1 : (1 << bits) - 1; }
  constexpr int Min() const { return isSigned ? -Max() : 0; }
  constexpr std::uint64_t Mask() const { return (std::uint64_t{1} << bits) - 1; }
};

constexpr Channel Field(int shift, int bits) { return {shift, bits, false, 0.0f}; }
constexpr Channel SignedField(int shift, int bits) { return {shift, bits, true, 0.0f}; }
constexpr Channel Fill(float value) { return {0, 0, false, value}; }

enum class Derived {
  None,
  // r holds L = 0.2125 r + 0.7154 g + 0.0721 b; g and b decode as copies of it.
  Luminance,
  // b decodes as sqrt(1 - r^2 - g^2), or 0 when that is not positive.
  NormalZ,
};

template <typename Layout>
class PackedConverter final : public RowConverter {
 public:
  using Word = typename Layout::Word;

  explicit PackedConverter(const PixelRegion& region) : RowConverter(region, Layout::bytes) {}

 protected:
  void DecodePixels(UINT row, UINT slice, FloatPixel* out) override {
    const BYTE* p = RowAddress(row, slice);
    const UINT count = Width();
    for (UINT x = 0; x < count; ++x) out[x] = DecodeOne(Load(p + x * Layout::bytes));
  }

  void EncodePixels(UINT row, UINT slice, const FloatPixel* in) override {
    BYTE* p = RowAddress(row, slice);
    if (ErrorRow() != nullptr) {
      EncodeDiffused(in, p);
      return;
    }
    const float* pattern = ThresholdPattern();
    if (pattern[0] == pattern[1] && pattern[0] == pattern[2] && pattern[0] == pattern[3]) {
      EncodeFlat(in, p, pattern[0]);
    } else {
      EncodePatterned(in, p, pattern);
    }
  }

 private:
  static constexpr Channel channels[4] = {Layout::r, Layout::g, Layout::b, Layout::a};

  static Word Load(const BYTE* p) {
    Word w = 0;
    std::memcpy(&w, p, Layout::bytes);
    return w;
  }
  static void Store(BYTE* p, Word w) { std::memcpy(p, &w, Layout::bytes); }

  template <Channel c>
  static float DecodeChannel(Word w) {
    if constexpr (!c.Stored()) {
      return c.fill;
    } else if constexpr (c.isSigned) {
      constexpr int signBit = 1 << (c.bits - 1);
      int v = static_cast<int>((w >> c.shift) & c.Mask());
      v = (v ^ signBit) - signBit;
      v = v < c.Min() ? c.Min() : v;  // the most negative value maps to -1 too
      return static_cast<float>(v) * (1.0f / static_cast<float>(c.Max()));
    } else {
      const auto v = static_cast<std::int32_t>((w >> c.shift) & c.Mask());
      return static_cast<float>(v) * (1.0f / static_cast<float>(c.Max()));
    }
  }

  static FloatPixel DecodeOne(Word w) {
    FloatPixel p{DecodeChannel<Layout::r>(w), DecodeChannel<Layout::g>(w),
                 DecodeChannel<Layout::b>(w), DecodeChannel<Layout::a>(w)};
    if constexpr (Layout::derived == Derived::Luminance) {
      p.g = p.r;
      p.b = p.r;
    } else if constexpr (Layout::derived == Derived::NormalZ) {
      const float z2 = 1.0f - p.r * p.r - p.g * p.g;
      p.b = z2 > 0.0f ? std::sqrt(z2) : 0.0f;
    }
    return p;
  }

  // The value the format's first stored field quantises for luminance formats.
  static float LuminanceOf(const FloatPixel& p) {
    return 0.2125f * p.r + 0.7154f * p.g + 0.0721f * p.b;
  }

  // The field bits for value x (already in units of the field) plus threshold t.
  template <Channel c>
  static Word QuantiseChannel(float v, float t) {
    if constexpr (!c.Stored()) {
      return 0;
    } else {
      float x = v * static_cast<float>(c.Max()) + t;
      x = x > static_cast<float>(c.Min()) ? x : static_cast<float>(c.Min());  // NaN too
      x = x < static_cast<float>(c.Max()) ? x : static_cast<float>(c.Max());
      const auto q = static_cast<std::int32_t>(x);
      return static_cast<Word>(static_cast<Word>(q & static_cast<std::int32_t>(c.Mask()))
                               << c.shift);
    }
  }

  static Word EncodeOne(const FloatPixel& p, float t) {
    const float r = Layout::derived == Derived::Luminance ? LuminanceOf(p) : p.r;
    return QuantiseChannel<Layout::r>(r, t) | QuantiseChannel<Layout::g>(p.g, t) |
           QuantiseChannel<Layout::b>(p.b, t) | QuantiseChannel<Layout::a>(p.a, t);
  }

  void EncodeFlat(const FloatPixel* in, BYTE* p, float t) const {
    const UINT count = Width();
    for (UINT x = 0; x < count; ++x) Store(p + x * Layout::bytes, EncodeOne(in[x], t));
  }

  void EncodePatterned(const FloatPixel* in, BYTE* p, const float* pattern) const {
    const UINT count = Width();
    const float t0 = pattern[0], t1 = pattern[1], t2 = pattern[2], t3 = pattern[3];
    UINT x = 0;
    for (; x + 4 <= count; x += 4) {
      Store(p + (x + 0) * Layout::bytes, EncodeOne(in[x + 0], t0));
      Store(p + (x + 1) * Layout::bytes, EncodeOne(in[x + 1], t1));
      Store(p + (x + 2) * Layout::bytes, EncodeOne(in[x + 2], t2));
      Store(p + (x + 3) * Layout::bytes, EncodeOne(in[x + 3], t3));
    }
    for (; x < count; ++x) Store(p + x * Layout::bytes, EncodeOne(in[x], pattern[x & 3]));
  }

  // Serpentine Floyd-Steinberg: the error of each channel goes 7/16 to the next pixel in
  // walking order and 3/16, 5/16, 1/16 to the row below, behind, under and ahead.
  void EncodeDiffused(const FloatPixel* in, BYTE* p) {
    const UINT count = Width();
    FloatPixel* below = ErrorRow();
    const float* walkOrder = ThresholdsInWalkOrder();
    const bool forward = WalkLeftToRight();
    float carry[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (UINT i = 0; i < count; ++i) {
      const UINT x = forward ? i : count - 1 - i;
      const UINT behind = forward ? x : x + 2;
      const UINT ahead = forward ? x + 2 : x;
      const float t = walkOrder[i & 3];
      FloatPixel value = in[x];
      if constexpr (Layout::derived == Derived::Luminance) value.r = LuminanceOf(value);
      float* v = &value.r;
      float error[4] = {0.0f, 0.0f, 0.0f, 0.0f};
      Word w = 0;
      for (int c = 0; c < 4; ++c) {
        if (!channels[c].Stored()) continue;
        const float m = static_cast<float>(channels[c].Max());
        const float scaled = (v[c] + carry[c]) * m;
        const float q = std::trunc(scaled + t);
        const float e = (scaled - q) / m;
        error[c] = std::isfinite(e) ? e : 0.0f;
        carry[c] = error[c] * (7.0f / 16.0f);
        w |= QuantiseStored(c, q);
      }
      if constexpr (Layout::derived == Derived::Luminance) error[1] = error[2] = error[0];
      Spread(below[behind], error, 3.0f / 16.0f);
      Spread(below[x + 1], error, 5.0f / 16.0f);
      Spread(below[ahead], error, 1.0f / 16.0f);
      Store(p + x * Layout::bytes, w);
    }
  }

  // Field bits for an already quantised (unclamped) value of channel c.
  static Word QuantiseStored(int c, float q) {
    const Channel& ch = channels[c];
    q = q > static_cast<float>(ch.Min()) ? q : static_cast<float>(ch.Min());
    q = q < static_cast<float>(ch.Max()) ? q : static_cast<float>(ch.Max());
    const auto bits = static_cast<std::int32_t>(q) & static_cast<std::int32_t>(ch.Mask());
    return static_cast<Word>(static_cast<Word>(bits) << ch.shift);
  }

  static void Spread(FloatPixel& target, const float* error, float share) {
    target.r += error[0] * share;
    target.g += error[1] * share;
    target.b += error[2] * share;
    target.a += error[3] * share;
  }
};
