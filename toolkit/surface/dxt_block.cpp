#include "toolkit/surface/dxt_block.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

struct Rgb {
  float r, g, b;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
float Dot(Rgb a, Rgb b) { return a.r * b.r + a.g * b.g + a.b * b.b; }

float Clamp01(float x) {
  x = x > 0.0f ? x : 0.0f;
  return x < 1.0f ? x : 1.0f;
}

WORD ReadWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
void WriteWord(BYTE* p, WORD w) {
  p[0] = static_cast<BYTE>(w);
  p[1] = static_cast<BYTE>(w >> 8);
}
std::uint64_t ReadBits(const BYTE* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
void WriteBits(BYTE* p, int bytes, std::uint64_t v) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

int Quantise(float x, int max) {
  return static_cast<int>(Clamp01(x) * static_cast<float>(max) + 0.5f);
}

WORD Pack565(Rgb c) {
  return static_cast<WORD>((Quantise(c.r, 31) << 11) | (Quantise(c.g, 63) << 5) |
                           Quantise(c.b, 31));
}

Rgb Unpack565(WORD w) {
  return {static_cast<float>((w >> 11) & 31) * (1.0f / 31.0f),
          static_cast<float>((w >> 5) & 63) * (1.0f / 63.0f),
          static_cast<float>(w & 31) * (1.0f / 31.0f)};
}

// The block's four colours; in three-colour mode the fourth is transparent black.
struct ColourPalette {
  Rgb colours[4];
  bool threeColours;
};

ColourPalette MakePalette(WORD c0, WORD c1, ColourBlockMode mode) {
  const Rgb a = Unpack565(c0), b = Unpack565(c1);
  ColourPalette palette{{a, b, {}, {0.0f, 0.0f, 0.0f}}, false};
  if (mode == ColourBlockMode::Dxt1 && c0 <= c1) {
    palette.threeColours = true;
    palette.colours[2] = (a + b) * 0.5f;
  } else {
    palette.colours[2] = (a * 2.0f + b) * (1.0f / 3.0f);
    palette.colours[3] = (a + b * 2.0f) * (1.0f / 3.0f);
  }
  return palette;
}

float SquaredDistance(Rgb a, Rgb b) {
  const Rgb d = a - b;
  return Dot(d, d);
}

// --- End-point fitting ------------------------------------------------------------------

struct ColourSet {
  Rgb colours[16];
  bool opaque[16];
  int count;  // opaque colours
  bool anyTransparent;
};

ColourSet GatherColours(const FloatPixel* pixels, ColourBlockMode mode) {
  ColourSet set{};
  for (int i = 0; i < 16; ++i) {
    const FloatPixel& p = pixels[i];
    set.colours[i] = {Clamp01(p.r), Clamp01(p.g), Clamp01(p.b)};
    set.opaque[i] = mode != ColourBlockMode::Dxt1 || p.a >= 0.5f;
    if (set.opaque[i]) {
      ++set.count;
    } else {
      set.anyTransparent = true;
    }
  }
  return set;
}

// The direction of greatest spread of the opaque colours, by power iteration on their
// covariance.
Rgb PrincipalAxis(const ColourSet& set, Rgb mean) {
  float xx = 0, xy = 0, xz = 0, yy = 0, yz = 0, zz = 0;
  for (int i = 0; i < 16; ++i) {
    if (!set.opaque[i]) continue;
    const Rgb d = set.colours[i] - mean;
    xx += d.r * d.r;
    xy += d.r * d.g;
    xz += d.r * d.b;
    yy += d.g * d.g;
    yz += d.g * d.b;
    zz += d.b * d.b;
  }
  Rgb axis{1.0f, 1.0f, 1.0f};
  for (int step = 0; step < 8; ++step) {
    const Rgb next{xx * axis.r + xy * axis.g + xz * axis.b, xy * axis.r + yy * axis.g + yz * axis.b,
                   xz * axis.r + yz * axis.g + zz * axis.b};
    const float length = std::sqrt(Dot(next, next));
    if (!(length > 1e-12f)) break;
    axis = next * (1.0f / length);
  }
  return axis;
}

struct EndPoints {
  Rgb first, second;
};

EndPoints AxisEndPoints(const ColourSet& set) {
  Rgb mean{0, 0, 0};
  for (int i = 0; i < 16; ++i) {
    if (set.opaque[i]) mean = mean + set.colours[i];
  }
  mean = mean * (1.0f / static_cast<float>(set.count));
  const Rgb axis = PrincipalAxis(set, mean);
  float low = 0.0f, high = 0.0f;
  for (int i = 0; i < 16; ++i) {
    if (!set.opaque[i]) continue;
    const float t = Dot(set.colours[i] - mean, axis);
    low = t < low ? t : low;
    high = t > high ? t : high;
  }
  return {mean + axis * high, mean + axis * low};
}

// Weight of the first end point in each palette entry.
constexpr float fourColourWeights[4] = {1.0f, 0.0f, 2.0f / 3.0f, 1.0f / 3.0f};
constexpr float threeColourWeights[4] = {1.0f, 0.0f, 0.5f, 0.0f};

// The end points that minimise the squared error for the given index choice, or `current`
// when the choice does not determine them.
EndPoints LeastSquares(const ColourSet& set, const int* indices, bool threeColours,
                       EndPoints current) {
  const float* weights = threeColours ? threeColourWeights : fourColourWeights;
  float aa = 0, ab = 0, bb = 0;
  Rgb ax{0, 0, 0}, bx{0, 0, 0};
  for (int i = 0; i < 16; ++i) {
    if (!set.opaque[i]) continue;
    const float alpha = weights[indices[i]], beta = 1.0f - alpha;
    aa += alpha * alpha;
    ab += alpha * beta;
    bb += beta * beta;
    ax = ax + set.colours[i] * alpha;
    bx = bx + set.colours[i] * beta;
  }
  const float determinant = aa * bb - ab * ab;
  if (!(std::fabs(determinant) > 1e-6f)) return current;
  const float inverse = 1.0f / determinant;
  const Rgb first = (ax * bb - bx * ab) * inverse;
  const Rgb second = (bx * aa - ax * ab) * inverse;
  return {{Clamp01(first.r), Clamp01(first.g), Clamp01(first.b)},
          {Clamp01(second.r), Clamp01(second.g), Clamp01(second.b)}};
}

struct ColourBlock {
  WORD c0, c1;
  int indices[16];
  float error;
};

// Orders the quantised end points for the mode and picks each pixel's nearest entry.
ColourBlock Assign(const ColourSet& set, EndPoints points, bool threeColours,
                   ColourBlockMode mode) {
  WORD c0 = Pack565(points.first), c1 = Pack565(points.second);
  if (threeColours ? c0 > c1 : c0 < c1) std::swap(c0, c1);
  const ColourPalette palette = MakePalette(c0, c1, mode);
  const int entries = palette.threeColours ? 3 : 4;
  ColourBlock block{c0, c1, {}, 0.0f};
  for (int i = 0; i < 16; ++i) {
    if (!set.opaque[i]) {
      block.indices[i] = 3;
      continue;
    }
    int best = 0;
    float bestDistance = SquaredDistance(set.colours[i], palette.colours[0]);
    for (int k = 1; k < entries; ++k) {
      const float d = SquaredDistance(set.colours[i], palette.colours[k]);
      if (d < bestDistance) {
        bestDistance = d;
        best = k;
      }
    }
    block.indices[i] = best;
    block.error += bestDistance;
  }
  return block;
}

ColourBlock FitColours(const ColourSet& set, ColourBlockMode mode) {
  const bool threeColours = set.anyTransparent;
  EndPoints points = AxisEndPoints(set);
  ColourBlock best = Assign(set, points, threeColours, mode);
  for (int round = 0; round < 4 && best.error > 0.0f; ++round) {
    points = LeastSquares(set, best.indices, threeColours, points);
    const ColourBlock refined = Assign(set, points, threeColours, mode);
    if (!(refined.error < best.error)) break;
    best = refined;
  }
  return best;
}

void WriteColourBlock(const ColourBlock& colours, BYTE* block) {
  WriteWord(block, colours.c0);
  WriteWord(block + 2, colours.c1);
  std::uint64_t bits = 0;
  for (int i = 15; i >= 0; --i) bits = (bits << 2) | static_cast<std::uint64_t>(colours.indices[i]);
  WriteBits(block + 4, 4, bits);
}

// --- Interpolated alpha -------------------------------------------------------------------

void AlphaPalette(int a0, int a1, float* values) {
  values[0] = static_cast<float>(a0);
  values[1] = static_cast<float>(a1);
  if (a0 > a1) {
    for (int k = 2; k < 8; ++k) {
      values[k] = static_cast<float>((8 - k) * a0 + (k - 1) * a1) / 7.0f;
    }
  } else {
    for (int k = 2; k < 6; ++k) {
      values[k] = static_cast<float>((6 - k) * a0 + (k - 1) * a1) / 5.0f;
    }
    values[6] = 0.0f;
    values[7] = 255.0f;
  }
}

struct AlphaBlock {
  int a0, a1;
  int indices[16];
  float error;
};

AlphaBlock AssignAlpha(const float* alphas, int a0, int a1) {
  float values[8];
  AlphaPalette(a0, a1, values);
  AlphaBlock block{a0, a1, {}, 0.0f};
  for (int i = 0; i < 16; ++i) {
    int best = 0;
    float bestDistance = std::fabs(alphas[i] - values[0]);
    for (int k = 1; k < 8; ++k) {
      const float d = std::fabs(alphas[i] - values[k]);
      if (d < bestDistance) {
        bestDistance = d;
        best = k;
      }
    }
    block.indices[i] = best;
    block.error += bestDistance * bestDistance;
  }
  return block;
}

}  // namespace

void DecodeColourBlock(const BYTE* block, ColourBlockMode mode, FloatPixel* pixels) {
  const ColourPalette palette = MakePalette(ReadWord(block), ReadWord(block + 2), mode);
  const std::uint64_t bits = ReadBits(block + 4, 4);
  for (int i = 0; i < 16; ++i) {
    const int index = static_cast<int>((bits >> (2 * i)) & 3);
    const Rgb& c = palette.colours[index];
    const float alpha = palette.threeColours && index == 3 ? 0.0f : 1.0f;
    pixels[i] = {c.r, c.g, c.b, alpha};
  }
}

void EncodeColourBlock(const FloatPixel* pixels, ColourBlockMode mode, BYTE* block) {
  const ColourSet set = GatherColours(pixels, mode);
  if (set.count == 0) {
    // All transparent: a three-colour block of index 3 everywhere.
    ColourBlock empty{0, 0, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, 0.0f};
    WriteColourBlock(empty, block);
    return;
  }
  WriteColourBlock(FitColours(set, mode), block);
}

float ColourBlockError(const BYTE* block, ColourBlockMode mode, const FloatPixel* pixels) {
  FloatPixel decoded[16];
  DecodeColourBlock(block, mode, decoded);
  float error = 0.0f;
  for (int i = 0; i < 16; ++i) {
    const float dr = decoded[i].r - pixels[i].r;
    const float dg = decoded[i].g - pixels[i].g;
    const float db = decoded[i].b - pixels[i].b;
    error += dr * dr + dg * dg + db * db;
  }
  return error;
}

void DecodeExplicitAlpha(const BYTE* block, FloatPixel* pixels) {
  const std::uint64_t bits = ReadBits(block, 8);
  for (int i = 0; i < 16; ++i) {
    pixels[i].a = static_cast<float>((bits >> (4 * i)) & 15) * (1.0f / 15.0f);
  }
}

void EncodeExplicitAlpha(const FloatPixel* pixels, BYTE* block) {
  std::uint64_t bits = 0;
  for (int i = 15; i >= 0; --i) {
    bits = (bits << 4) | static_cast<std::uint64_t>(Quantise(pixels[i].a, 15));
  }
  WriteBits(block, 8, bits);
}

void DecodeInterpolatedAlpha(const BYTE* block, FloatPixel* pixels) {
  float values[8];
  AlphaPalette(block[0], block[1], values);
  const std::uint64_t bits = ReadBits(block + 2, 6);
  for (int i = 0; i < 16; ++i) {
    pixels[i].a = values[(bits >> (3 * i)) & 7] * (1.0f / 255.0f);
  }
}

void EncodeInterpolatedAlpha(const FloatPixel* pixels, BYTE* block) {
  float alphas[16];
  int low = 255, high = 0;            // over all alphas
  int innerLow = 255, innerHigh = 0;  // over those that are not 0 or 255
  for (int i = 0; i < 16; ++i) {
    alphas[i] = Clamp01(pixels[i].a) * 255.0f;
    const int a = Quantise(pixels[i].a, 255);
    low = a < low ? a : low;
    high = a > high ? a : high;
    if (a != 0 && a != 255) {
      innerLow = a < innerLow ? a : innerLow;
      innerHigh = a > innerHigh ? a : innerHigh;
    }
  }
  // Eight interpolated values between the extremes, or six between the inner values plus
  // exact 0 and 255; the one with the smaller error wins.
  AlphaBlock best = AssignAlpha(alphas, high, low);
  if (innerLow <= innerHigh) {
    const AlphaBlock withExtremes = AssignAlpha(alphas, innerLow, innerHigh);
    if (withExtremes.error < best.error) best = withExtremes;
  }
  block[0] = static_cast<BYTE>(best.a0);
  block[1] = static_cast<BYTE>(best.a1);
  std::uint64_t bits = 0;
  for (int i = 15; i >= 0; --i) bits = (bits << 3) | static_cast<std::uint64_t>(best.indices[i]);
  WriteBits(block + 2, 6, bits);
}
