// The per-pixel part of drawing: texture stage 0 (colour and alpha operations on the texel,
// the diffuse colour and the texture factor), the alpha test, alpha blending and the colour
// write mask, all in 8-bit integer arithmetic. Products are rounded to the nearest of 255
// steps, so modulating by 255 leaves a value unchanged and blending is within one unit of the
// exact result.
//
// Colours are 0xAARRGGBB.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/device_state.h"

namespace d3d9 {

// x * y / 255, rounded to nearest, for x and y in 0..255.
inline std::uint32_t Mul255(std::uint32_t x, std::uint32_t y) {
  const std::uint32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}

// `value` FUNC `reference` for a D3DCMP_ function (the alpha, stencil and depth tests); an
// unknown function passes.
inline bool PassesComparison(DWORD func, std::uint32_t value, std::uint32_t reference) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true;
  }
}

// What an alpha value does at the target, once the stage has made it.
enum class AlphaEffect {
  Discard,  // the pixel is not written (alpha test, or a blend that keeps the target)
  Replace,  // the stage's colour is written as it is
  Other     // anything else: the general blend
};

class PixelPipeline {
 public:
  // `textured` tells whether a readable texture is bound on stage 0; `targetAlpha` whether
  // the render target keeps alpha.
  PixelPipeline(const DeviceState& state, bool textured, bool targetAlpha);

  // Stage 0: combines the texel (ignored when the stage reads no texture) with the diffuse.
  std::uint32_t Combine(std::uint32_t texel, std::uint32_t diffuse) const;
  // Alpha test, blend and write mask onto one target pixel.
  void Write(std::uint32_t* target, std::uint32_t colour) const;
  // Combine and Write along a row: target[i] receives texels[i] combined with the diffuse.
  void WriteRow(std::uint32_t* target, const std::uint32_t* texels, std::uint32_t count,
                std::uint32_t diffuse) const {
    WriteRows(target, 0, texels, 0, count, 1, diffuse);
  }
  // WriteRow on `rows` rows, each `targetPitch` and `texelPitch` pixels after the last.
  void WriteRows(std::uint32_t* target, std::ptrdiff_t targetPitch, const std::uint32_t* texels,
                 std::ptrdiff_t texelPitch, std::uint32_t count, std::uint32_t rows,
                 std::uint32_t diffuse) const;

  bool ReadsTexture() const { return readsTexture; }
  // Whether the alpha test keeps a pixel of this colour (always, with the test off).
  bool AlphaTestKeeps(std::uint32_t colour) const {
    return !alphaTest || PassesAlphaTest(colour >> 24);
  }
  // The alphas the alpha test keeps: low..high, or all others when `outside`.
  void AlphaTestRange(int* low, int* high, bool* outside) const {
    *low = alphaTest ? passLow : 0;
    *high = alphaTest ? passHigh : 255;
    *outside = alphaTest && passOutside;
  }
  // Whether Combine(texel, diffuse) == texel for every texel.
  bool PassesTexelThrough(std::uint32_t diffuse) const;
  // The alpha that Combine gives a texel of alpha `texelAlpha`, or -1 when it depends on more.
  int CombinedAlpha(std::uint32_t texelAlpha, std::uint32_t diffuse) const;
  AlphaEffect EffectOf(std::uint32_t alpha) const;

 private:
  std::uint32_t Argument(DWORD argument, std::uint32_t texel, std::uint32_t diffuse) const;
  static std::uint32_t Operate(DWORD op, std::uint32_t a, std::uint32_t b, std::uint32_t texel,
                               std::uint32_t diffuse, std::uint32_t factor);
  bool PassesAlphaTest(std::uint32_t alpha) const;
  // The alpha test as a range, for loops without branches.
  void PassingRange();
  std::uint32_t Blend(std::uint32_t source, std::uint32_t target) const;

  DWORD colorOp, colorArg1, colorArg2;
  DWORD alphaOp, alphaArg1, alphaArg2;
  std::uint32_t textureFactor;
  std::uint32_t constant;
  bool readsTexture;
  bool colourWithoutTexture;
  bool alphaWithoutTexture;
  bool alphaTest;
  DWORD alphaFunc;
  std::uint32_t alphaRef;
  // The alphas that pass the test: passLow..passHigh, or all others when passOutside.
  int passLow, passHigh;
  bool passOutside;
  bool blend;
  DWORD sourceBlend, destBlend, blendOp;
  DWORD sourceBlendAlpha, destBlendAlpha, blendOpAlpha;
  std::uint32_t blendFactor;
  // The sprite's usual states, computed without the general dispatch (same results): texel
  // times diffuse in colour and alpha, and source-alpha blending.
  bool modulatesTexel;
  bool blendsSourceAlpha;
  std::uint32_t writeMask;   // bits of the target pixel that are written
  std::uint32_t opaqueBits;  // 0xFF000000 for targets without alpha
};

}  // namespace d3d9
