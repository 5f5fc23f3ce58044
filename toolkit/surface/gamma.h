// The power-2.2 gamma curve of the sRGB filter flags (a pure power, not the piecewise sRGB
// curve), read from 256-entry tables with linear interpolation.
#pragma once

#include "platform/win32/types.h"
#include "toolkit/surface/pixel_region.h"

// x^2.2.
float ExpandGamma(float x);
// x^(1/2.2).
float CompressGamma(float x);

enum class GammaChannels {
  Colour,  // r, g and b
  Alpha,   // a only (the signed formats)
};

enum class GammaCurve {
  Power,   // x^2.2 and its inverse
  Square,  // x^2 and its square root, when both sides of a copy have the flag
};

void ExpandGammaRow(FloatPixel* pixels, UINT count, GammaChannels channels, GammaCurve curve);
// Reads `in` and writes `out`; they may be the same row.
void CompressGammaRow(const FloatPixel* in, FloatPixel* out, UINT count, GammaChannels channels,
                      GammaCurve curve);
