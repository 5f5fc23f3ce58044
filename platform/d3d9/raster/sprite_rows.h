// The sprite's usual pixel states as row kernels: texel times diffuse in colour and alpha,
// source-alpha blending, the alpha test and the write mask, with the arithmetic of the
// general operations (every product rounded to the nearest of 255 steps).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/raster/pixel_pipeline.h"

namespace d3d9 {

// What a row kernel needs of the pipeline: the alphas passing the alpha test (low..high, or
// all others when inverted), the write masks and the diffuse colour.
struct SpriteRow {
  int low, high;
  bool inverted;
  std::uint32_t writeMask, opaqueBits;
  std::uint32_t diffuse;
  bool skipTransparent, copyOpaque;  // what whole groups of alpha 0 and 255 may do

  bool Passes(int alpha) const { return ((alpha >= low) & (alpha <= high)) != inverted; }
  // Whether some bit of the target is neither written nor forced opaque.
  bool Masked() const { return (writeMask | opaqueBits) != 0xFFFFFFFFu; }
};

// Mul255 of two channels at once, one in each 16-bit lane of 0x00XX00YY values: no lane
// carries into the next (x * y + 128 + its high byte stays below 65,536).
inline std::uint32_t Mul255Lanes(std::uint32_t lanes, std::uint32_t factor) {
  const std::uint32_t t = lanes * factor + 0x00800080u;
  return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Texel times diffuse in every channel.
[[gnu::always_inline]] inline std::uint32_t ModulateTexel(std::uint32_t texel, std::uint32_t diffuse) {
  return Mul255(texel & 0xFF, diffuse & 0xFF) |
         Mul255((texel >> 8) & 0xFF, (diffuse >> 8) & 0xFF) << 8 |
         Mul255((texel >> 16) & 0xFF, (diffuse >> 16) & 0xFF) << 16 |
         Mul255(texel >> 24, diffuse >> 24) << 24;
}

// Source-alpha blending of all four channels. No sum passes 255: x * a / 255 and
// y * (255 - a) / 255, each rounded, add up to at most 255 for x, y <= 255.
[[gnu::always_inline]] inline std::uint32_t BlendSourceAlpha(std::uint32_t source, std::uint32_t target) {
  const std::uint32_t alpha = source >> 24;
  const std::uint32_t evens =
      Mul255Lanes(source & 0x00FF00FFu, alpha) + Mul255Lanes(target & 0x00FF00FFu, 255 - alpha);
  const std::uint32_t odds = Mul255Lanes((source >> 8) & 0x00FF00FFu, alpha) +
                             Mul255Lanes((target >> 8) & 0x00FF00FFu, 255 - alpha);
  return evens | (odds << 8);
}

// `rows` rows of `count` pixels, each `targetPitch` and `texelPitch` pixels after the last:
// target[i] receives texels[i] modulated, tested, blended and masked.
void WriteSpriteRows(const SpriteRow& row, std::uint32_t* target, std::ptrdiff_t targetPitch,
                     const std::uint32_t* texels, std::ptrdiff_t texelPitch, std::uint32_t count,
                     std::uint32_t rows);

// The pixels a row kernel takes a step: 16, 8 or 4 with the processor's 512-, 256- or 128-bit
// integer instructions, 1 without them (or when limited below 4).
unsigned SpriteRowStep();
// For tests: no step wider than `pixels` (16 by default), so that the kernels of smaller
// steps, down to the plain one, can be checked on processors that have the larger ones.
void LimitSpriteRowStep(unsigned pixels);

}  // namespace d3d9
