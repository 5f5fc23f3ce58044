#include "toolkit/surface/gamma.h"

#include <array>
#include <cmath>

namespace {

constexpr int lastPosition = 254;

using GammaTable = std::array<float, 256>;

GammaTable MakeTable(double exponentOfSquare, bool squareFirst) {
  GammaTable table{};
  for (int k = 0; k <= lastPosition; ++k) {
    const double x = k / static_cast<double>(lastPosition);
    table[k] = static_cast<float>(std::pow(squareFirst ? x * x : x, exponentOfSquare));
  }
  table[255] = 1.0f;
  return table;
}

// Entry k = (k/254)^1.1, read at x^2 x 254.
const GammaTable& ExpansionTable() {
  static const GammaTable table = MakeTable(1.1, false);
  return table;
}

// Entry k = ((k/254)^2)^(1/2.2), read at sqrt(x) x 254.
const GammaTable& CompressionTable() {
  static const GammaTable table = MakeTable(1.0 / 2.2, true);
  return table;
}

float Interpolate(const GammaTable& table, float position) {
  const int i = static_cast<int>(position);
  return table[i] + (table[i + 1] - table[i]) * (position - static_cast<float>(i));
}

// Positions below the table (and NaN) read its first entry.
float ClampLow(float position) { return position > 0.0f ? position : 0.0f; }

float Square(float x) { return x * x; }
float SquareRoot(float x) { return std::sqrt(x); }

}  // namespace

float ExpandGamma(float x) {
  const float position = ClampLow(x * x * lastPosition);
  // Values above 1 (floating-point formats) follow the curve beyond the table.
  if (position > lastPosition) return std::pow(std::fabs(x), 2.2f);
  return Interpolate(ExpansionTable(), position);
}

float CompressGamma(float x) {
  const float position = ClampLow(std::sqrt(x) * lastPosition);
  if (position > lastPosition) return std::pow(x, 1.0f / 2.2f);
  return Interpolate(CompressionTable(), position);
}

namespace {

template <float (*curve)(float)>
void ApplyCurve(const FloatPixel* in, FloatPixel* out, UINT count, GammaChannels channels) {
  for (UINT i = 0; i < count; ++i) {
    FloatPixel p = in[i];
    if (channels == GammaChannels::Colour) {
      p.r = curve(p.r);
      p.g = curve(p.g);
      p.b = curve(p.b);
    } else {
      p.a = curve(p.a);
    }
    out[i] = p;
  }
}

}  // namespace

void ExpandGammaRow(FloatPixel* pixels, UINT count, GammaChannels channels, GammaCurve curve) {
  if (curve == GammaCurve::Square) {
    ApplyCurve<Square>(pixels, pixels, count, channels);
  } else {
    ApplyCurve<ExpandGamma>(pixels, pixels, count, channels);
  }
}

void CompressGammaRow(const FloatPixel* in, FloatPixel* out, UINT count, GammaChannels channels,
                      GammaCurve curve) {
  if (curve == GammaCurve::Square) {
    ApplyCurve<SquareRoot>(in, out, count, channels);
  } else {
    ApplyCurve<CompressGamma>(in, out, count, channels);
  }
}
