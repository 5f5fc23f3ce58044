#include "platform/d3d9/raster/pixel_pipeline.h"

#include <algorithm>

#include "platform/d3d9/raster/sprite_rows.h"

namespace d3d9 {
namespace {

constexpr std::uint32_t white = 0xFFFFFFFFu;

std::uint32_t Channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

template <class F>
std::uint32_t PerChannel(std::uint32_t a, std::uint32_t b, F f) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= std::min<std::uint32_t>(f(Channel(a, shift), Channel(b, shift)), 255) << shift;
  }
  return out;
}

std::uint32_t Replicate(std::uint32_t alpha) { return alpha * 0x01010101u; }

bool UsesTexture(DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

bool OpReadsArg1(DWORD op) { return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG2; }
bool OpReadsArg2(DWORD op) { return op != D3DTOP_DISABLE && op != D3DTOP_SELECTARG1; }

// The blend factor of one channel, 0..255.
std::uint32_t Factor(DWORD blend, int shift, std::uint32_t source, std::uint32_t target,
                     std::uint32_t constant) {
  const std::uint32_t sa = source >> 24;
  const std::uint32_t da = target >> 24;
  const bool alphaChannel = shift == 24;
  switch (blend) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return Channel(source, shift);
    case D3DBLEND_INVSRCCOLOR: return 255 - Channel(source, shift);
    case D3DBLEND_SRCALPHA:
    case D3DBLEND_BOTHSRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA:
    case D3DBLEND_BOTHINVSRCALPHA: return 255 - sa;
    case D3DBLEND_DESTALPHA: return da;
    case D3DBLEND_INVDESTALPHA: return 255 - da;
    case D3DBLEND_DESTCOLOR: return Channel(target, shift);
    case D3DBLEND_INVDESTCOLOR: return 255 - Channel(target, shift);
    case D3DBLEND_SRCALPHASAT: return alphaChannel ? 255 : std::min(sa, 255 - da);
    case D3DBLEND_BLENDFACTOR: return Channel(constant, shift);
    case D3DBLEND_INVBLENDFACTOR: return 255 - Channel(constant, shift);
    default: return 255;
  }
}

std::uint32_t ApplyBlendOp(DWORD op, std::uint32_t s, std::uint32_t d) {
  switch (op) {
    case D3DBLENDOP_SUBTRACT: return s > d ? s - d : 0;
    case D3DBLENDOP_REVSUBTRACT: return d > s ? d - s : 0;
    case D3DBLENDOP_MIN: return std::min(s, d);
    case D3DBLENDOP_MAX: return std::max(s, d);
    default: return std::min<std::uint32_t>(s + d, 255);
  }
}

}  // namespace

PixelPipeline::PixelPipeline(const DeviceState& state, bool textured, bool targetAlpha) {
  const auto& stage = state.stageStates[0];
  const auto& rs = state.renderStates;
  colorOp = stage[D3DTSS_COLOROP];
  colorArg1 = stage[D3DTSS_COLORARG1];
  colorArg2 = stage[D3DTSS_COLORARG2];
  alphaOp = stage[D3DTSS_ALPHAOP];
  alphaArg1 = stage[D3DTSS_ALPHAARG1];
  alphaArg2 = stage[D3DTSS_ALPHAARG2];
  // A disabled colour operation disables the whole stage: the diffuse colour goes through.
  if (colorOp == D3DTOP_DISABLE) alphaOp = D3DTOP_DISABLE;
  textureFactor = rs[D3DRS_TEXTUREFACTOR];
  constant = stage[D3DTSS_CONSTANT];
  const bool colourReadsTexture = (OpReadsArg1(colorOp) && UsesTexture(colorArg1)) ||
                                  (OpReadsArg2(colorOp) && UsesTexture(colorArg2));
  const bool alphaReadsTexture = (OpReadsArg1(alphaOp) && UsesTexture(alphaArg1)) ||
                                 (OpReadsArg2(alphaOp) && UsesTexture(alphaArg2));
  readsTexture = textured && (colourReadsTexture || alphaReadsTexture);
  // An operation on a texture that is not there passes the diffuse colour on, so untextured
  // geometry shows its vertex colours and alpha under the default stage states.
  colourWithoutTexture = !textured && colourReadsTexture;
  alphaWithoutTexture = !textured && alphaReadsTexture;
  alphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
  alphaFunc = rs[D3DRS_ALPHAFUNC];
  alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
  PassingRange();
  blend = rs[D3DRS_ALPHABLENDENABLE] != FALSE;
  sourceBlend = rs[D3DRS_SRCBLEND];
  destBlend = rs[D3DRS_DESTBLEND];
  blendOp = rs[D3DRS_BLENDOP];
  // The two "both" factors set the destination factor too.
  if (sourceBlend == D3DBLEND_BOTHSRCALPHA) destBlend = D3DBLEND_INVSRCALPHA;
  if (sourceBlend == D3DBLEND_BOTHINVSRCALPHA) destBlend = D3DBLEND_SRCALPHA;
  const bool separate = rs[D3DRS_SEPARATEALPHABLENDENABLE] != FALSE;
  sourceBlendAlpha = separate ? rs[D3DRS_SRCBLENDALPHA] : sourceBlend;
  destBlendAlpha = separate ? rs[D3DRS_DESTBLENDALPHA] : destBlend;
  blendOpAlpha = separate ? rs[D3DRS_BLENDOPALPHA] : blendOp;
  blendFactor = rs[D3DRS_BLENDFACTOR];
  const auto texelAndDiffuse = [](DWORD a1, DWORD a2) {
    const auto isDiffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
    return (a1 == D3DTA_TEXTURE && isDiffuse(a2)) || (a2 == D3DTA_TEXTURE && isDiffuse(a1));
  };
  modulatesTexel = readsTexture && colorOp == D3DTOP_MODULATE && alphaOp == D3DTOP_MODULATE &&
                   texelAndDiffuse(colorArg1, colorArg2) && texelAndDiffuse(alphaArg1, alphaArg2);
  blendsSourceAlpha = sourceBlend == D3DBLEND_SRCALPHA && destBlend == D3DBLEND_INVSRCALPHA &&
                      blendOp == D3DBLENDOP_ADD && sourceBlendAlpha == sourceBlend &&
                      destBlendAlpha == destBlend && blendOpAlpha == blendOp;
  const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
  writeMask = ((mask & D3DCOLORWRITEENABLE_RED) ? 0x00FF0000u : 0) |
              ((mask & D3DCOLORWRITEENABLE_GREEN) ? 0x0000FF00u : 0) |
              ((mask & D3DCOLORWRITEENABLE_BLUE) ? 0x000000FFu : 0) |
              ((mask & D3DCOLORWRITEENABLE_ALPHA) && targetAlpha ? 0xFF000000u : 0);
  opaqueBits = targetAlpha ? 0 : 0xFF000000u;
}

std::uint32_t PixelPipeline::Argument(DWORD argument, std::uint32_t texel,
                                      std::uint32_t diffuse) const {
  std::uint32_t value;
  switch (argument & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: value = texel; break;
    case D3DTA_TFACTOR: value = textureFactor; break;
    case D3DTA_CONSTANT: value = constant; break;
    case D3DTA_SPECULAR:
    case D3DTA_TEMP: value = 0; break;
    default: value = diffuse; break;  // D3DTA_DIFFUSE, and D3DTA_CURRENT on stage 0
  }
  if ((argument & D3DTA_ALPHAREPLICATE) != 0) value = Replicate(value >> 24);
  if ((argument & D3DTA_COMPLEMENT) != 0) value = ~value;
  return value;
}

std::uint32_t PixelPipeline::Operate(DWORD op, std::uint32_t a, std::uint32_t b,
                                     std::uint32_t texel, std::uint32_t diffuse,
                                     std::uint32_t factor) {
  const auto lerp = [&](std::uint32_t alpha) {
    return PerChannel(a, b, [&](std::uint32_t x, std::uint32_t y) {
      return Mul255(x, alpha) + Mul255(y, 255 - alpha);
    });
  };
  switch (op) {
    case D3DTOP_SELECTARG1: return a;
    case D3DTOP_SELECTARG2: return b;
    case D3DTOP_MODULATE: return PerChannel(a, b, Mul255);
    // Rounded once after scaling: doubling a rounded product would double its error.
    case D3DTOP_MODULATE2X:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return (2 * x * y + 127) / 255; });
    case D3DTOP_MODULATE4X:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return (4 * x * y + 127) / 255; });
    case D3DTOP_ADD: return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return x + y; });
    case D3DTOP_ADDSIGNED:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) {
        return x + y > 128 ? x + y - 128 : 0;
      });
    case D3DTOP_SUBTRACT:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return x > y ? x - y : 0; });
    case D3DTOP_ADDSMOOTH:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return x + y - Mul255(x, y); });
    case D3DTOP_BLENDDIFFUSEALPHA: return lerp(diffuse >> 24);
    case D3DTOP_BLENDTEXTUREALPHA: return lerp(texel >> 24);
    case D3DTOP_BLENDFACTORALPHA: return lerp(factor >> 24);
    case D3DTOP_BLENDCURRENTALPHA: return lerp(diffuse >> 24);
    default: return a;
  }
}

std::uint32_t PixelPipeline::Combine(std::uint32_t texel, std::uint32_t diffuse) const {
  if (modulatesTexel) return ModulateTexel(texel, diffuse);
  if (colorOp == D3DTOP_DISABLE) return diffuse;
  const std::uint32_t colour =
      colourWithoutTexture
          ? diffuse
          : Operate(colorOp, Argument(colorArg1, texel, diffuse),
                    Argument(colorArg2, texel, diffuse), texel, diffuse, textureFactor);
  std::uint32_t alpha;
  if (alphaOp == D3DTOP_DISABLE || alphaWithoutTexture) {
    alpha = diffuse >> 24;
  } else {
    const std::uint32_t a1 = Argument(alphaArg1 & ~D3DTA_ALPHAREPLICATE, texel, diffuse);
    const std::uint32_t a2 = Argument(alphaArg2 & ~D3DTA_ALPHAREPLICATE, texel, diffuse);
    alpha = Operate(alphaOp, a1, a2, texel, diffuse, textureFactor) >> 24;
  }
  return (colour & 0x00FFFFFFu) | (alpha << 24);
}

bool PixelPipeline::PassesTexelThrough(std::uint32_t diffuse) const {
  if (!readsTexture) return false;
  const auto passes = [&](DWORD op, DWORD a1, DWORD a2) {
    if (op == D3DTOP_SELECTARG1) return a1 == D3DTA_TEXTURE;
    if (op == D3DTOP_SELECTARG2) return a2 == D3DTA_TEXTURE;
    if (op != D3DTOP_MODULATE || diffuse != white) return false;
    const auto isDiffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
    return (a1 == D3DTA_TEXTURE && isDiffuse(a2)) || (a2 == D3DTA_TEXTURE && isDiffuse(a1));
  };
  return passes(colorOp, colorArg1, colorArg2) && passes(alphaOp, alphaArg1, alphaArg2);
}

int PixelPipeline::CombinedAlpha(std::uint32_t texelAlpha, std::uint32_t diffuse) const {
  const DWORD a1 = alphaArg1 & ~D3DTA_ALPHAREPLICATE;
  const DWORD a2 = alphaArg2 & ~D3DTA_ALPHAREPLICATE;
  const auto isTexture = [](DWORD a) { return a == D3DTA_TEXTURE; };
  const auto isDiffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
  const std::uint32_t da = diffuse >> 24;
  if (colorOp == D3DTOP_DISABLE || alphaOp == D3DTOP_DISABLE || alphaWithoutTexture) {
    return int(da);
  }
  if (alphaOp == D3DTOP_SELECTARG1 && isTexture(a1)) return int(texelAlpha);
  if (alphaOp == D3DTOP_SELECTARG2 && isTexture(a2)) return int(texelAlpha);
  if (alphaOp == D3DTOP_MODULATE &&
      ((isTexture(a1) && isDiffuse(a2)) || (isTexture(a2) && isDiffuse(a1)))) {
    return int(Mul255(texelAlpha, da));
  }
  return -1;
}

AlphaEffect PixelPipeline::EffectOf(std::uint32_t alpha) const {
  if (alphaTest && !PassesAlphaTest(alpha)) return AlphaEffect::Discard;
  const bool fullMask = (writeMask | opaqueBits) == 0xFFFFFFFFu;
  if (!blend) return fullMask ? AlphaEffect::Replace : AlphaEffect::Other;
  if (!blendsSourceAlpha) return AlphaEffect::Other;
  // At zero alpha, alpha blending leaves the target as it was, whatever the mask.
  if (alpha == 0) return AlphaEffect::Discard;
  if (!fullMask) return AlphaEffect::Other;
  // At full alpha, alpha blending writes the source colour and an alpha of 255.
  if (alpha == 255) return AlphaEffect::Replace;
  return AlphaEffect::Other;
}

void PixelPipeline::PassingRange() {
  const int reference = int(alphaRef);
  passOutside = false;
  switch (alphaFunc) {
    case D3DCMP_NEVER: passLow = 1, passHigh = 0; break;
    case D3DCMP_LESS: passLow = 0, passHigh = reference - 1; break;
    case D3DCMP_EQUAL: passLow = passHigh = reference; break;
    case D3DCMP_LESSEQUAL: passLow = 0, passHigh = reference; break;
    case D3DCMP_GREATER: passLow = reference + 1, passHigh = 255; break;
    case D3DCMP_NOTEQUAL: passLow = passHigh = reference, passOutside = true; break;
    case D3DCMP_GREATEREQUAL: passLow = reference, passHigh = 255; break;
    default: passLow = 0, passHigh = 255; break;
  }
}

bool PixelPipeline::PassesAlphaTest(std::uint32_t alpha) const {
  return PassesComparison(alphaFunc, alpha, alphaRef);
}

std::uint32_t PixelPipeline::Blend(std::uint32_t source, std::uint32_t target) const {
  std::uint32_t out = 0;
  if (blendsSourceAlpha) return BlendSourceAlpha(source, target);
  for (int shift = 0; shift < 32; shift += 8) {
    const bool alphaChannel = shift == 24;
    const DWORD sb = alphaChannel ? sourceBlendAlpha : sourceBlend;
    const DWORD db = alphaChannel ? destBlendAlpha : destBlend;
    const DWORD op = alphaChannel ? blendOpAlpha : blendOp;
    const std::uint32_t s = Mul255(Channel(source, shift), Factor(sb, shift, source, target, blendFactor));
    const std::uint32_t d = Mul255(Channel(target, shift), Factor(db, shift, source, target, blendFactor));
    out |= ApplyBlendOp(op, s, d) << shift;
  }
  return out;
}

void PixelPipeline::Write(std::uint32_t* target, std::uint32_t colour) const {
  if (alphaTest && !PassesAlphaTest(colour >> 24)) return;
  const std::uint32_t old = *target;
  const std::uint32_t value = blend ? Blend(colour, old) : colour;
  *target = ((value & writeMask) | (old & ~writeMask)) | opaqueBits;
}

void PixelPipeline::WriteRows(std::uint32_t* target, std::ptrdiff_t targetPitch,
                              const std::uint32_t* texels, std::ptrdiff_t texelPitch,
                              std::uint32_t count, std::uint32_t rows, std::uint32_t diffuse) const {
  if (!modulatesTexel || !blend || !blendsSourceAlpha) {
    for (std::uint32_t y = 0; y < rows; ++y, target += targetPitch, texels += texelPitch) {
      for (std::uint32_t i = 0; i < count; ++i) Write(target + i, Combine(texels[i], diffuse));
    }
    return;
  }
  SpriteRow row{alphaTest ? passLow : 0, alphaTest ? passHigh : 255, alphaTest && passOutside,
                writeMask, opaqueBits, diffuse, false, false};
  // Alpha 0 blends to the old value, which stays unless the write adds opaque bits; alpha 255
  // of a white diffuse blends to the texel.
  row.skipTransparent = !row.Passes(0) || opaqueBits == 0;
  row.copyOpaque = diffuse == white && !row.Masked() && row.Passes(255);
  WriteSpriteRows(row, target, targetPitch, texels, texelPitch, count, rows);
}

}  // namespace d3d9

