#include "platform/d3d9/raster/pixel_pipeline.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

bool Compare(DWORD func, std::uint32_t value, std::uint32_t reference) {
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

// Mul255 of two channels at once, one in each 16-bit lane of 0x00XX00YY values: no lane
// carries into the next (x * y + 128 + its high byte stays below 65,536).
std::uint32_t Mul255Lanes(std::uint32_t lanes, std::uint32_t factor) {
  const std::uint32_t t = lanes * factor + 0x00800080u;
  return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Source-alpha blending of two lanes, each sum saturated at 255.
std::uint32_t BlendLanes(std::uint32_t source, std::uint32_t target, std::uint32_t alpha) {
  const std::uint32_t sum = Mul255Lanes(source, alpha) + Mul255Lanes(target, 255 - alpha);
  const std::uint32_t overflow = (sum >> 8) & 0x00010001u;
  return (sum | overflow * 0xFF) & 0x00FF00FFu;
}

// What the sprite's row loop needs of the pipeline: the alphas passing the alpha test
// (low..high, or all others when inverted) and the write masks.
struct SpriteRow {
  int low, high;
  bool inverted;
  std::uint32_t writeMask, opaqueBits;
  bool skipTransparent, copyOpaque;  // what whole groups of alpha 0 and 255 may do

  bool Passes(int alpha) const { return ((alpha >= low) & (alpha <= high)) != inverted; }
};

// Texel times diffuse in every channel. Inlined so that row loops run without calls.
[[gnu::always_inline]] inline std::uint32_t ModulateTexel(std::uint32_t texel, std::uint32_t diffuse) {
  return Mul255(texel & 0xFF, diffuse & 0xFF) |
         Mul255((texel >> 8) & 0xFF, (diffuse >> 8) & 0xFF) << 8 |
         Mul255((texel >> 16) & 0xFF, (diffuse >> 16) & 0xFF) << 16 |
         Mul255(texel >> 24, diffuse >> 24) << 24;
}

// Source-alpha blending of all four channels.
[[gnu::always_inline]] inline std::uint32_t BlendSourceAlpha(std::uint32_t source, std::uint32_t target) {
  const std::uint32_t alpha = source >> 24;
  const std::uint32_t evens = BlendLanes(source & 0x00FF00FFu, target & 0x00FF00FFu, alpha);
  const std::uint32_t odds =
      BlendLanes((source >> 8) & 0x00FF00FFu, (target >> 8) & 0x00FF00FFu, alpha);
  return evens | (odds << 8);
}

#if defined(__SSE2__)
// Mul255 in each 16-bit lane: for t = x * y + 128 below 65,536, (t + (t >> 8)) >> 8 equals
// (t * 257) >> 16, the high half of an unsigned product.
[[gnu::always_inline]] inline __m128i Mul255Words(__m128i x, __m128i y) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
  return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}

// The alpha of each of two pixels (one channel per lane) in all four of its lanes.
[[gnu::always_inline]] inline __m128i SpreadAlpha(__m128i pixels) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, 0xFF), 0xFF);
}

// Source-alpha blending of two pixels, one channel per lane, each sum saturated at 255.
[[gnu::always_inline]] inline __m128i BlendWords(__m128i source, __m128i target) {
  const __m128i alpha = SpreadAlpha(source);
  const __m128i sum = _mm_add_epi16(Mul255Words(source, alpha),
                                    Mul255Words(target, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
  return _mm_min_epi16(sum, _mm_set1_epi16(255));
}

// What the sprite's row kernel keeps in registers for a whole row.
struct SpriteLanes {
  __m128i zero, diffuseWords, below, above, inverted, writeMask, opaqueBits;

  SpriteLanes(const SpriteRow& row, std::uint32_t diffuse)
      : zero(_mm_setzero_si128()),
        diffuseWords(_mm_unpacklo_epi8(_mm_set1_epi32(int(diffuse)), zero)),
        below(_mm_set1_epi32(row.low - 1)),
        above(_mm_set1_epi32(row.high + 1)),
        inverted(_mm_set1_epi32(row.inverted ? -1 : 0)),
        writeMask(_mm_set1_epi32(int(row.writeMask))),
        opaqueBits(_mm_set1_epi32(int(row.opaqueBits))) {}
};

// Four pixels of the sprite's row with the arithmetic of ModulateTexel and BlendSourceAlpha.
// Without `modulate` the diffuse is white, which leaves texels as they are; without `masked`
// every bit of the target is written or opaque.
template <bool modulate, bool masked>
[[gnu::always_inline]] inline __m128i SpriteQuad(const SpriteLanes& k, __m128i texel, __m128i old) {
  __m128i colourLow = _mm_unpacklo_epi8(texel, k.zero);
  __m128i colourHigh = _mm_unpackhi_epi8(texel, k.zero);
  __m128i alpha = _mm_srli_epi32(texel, 24);
  if constexpr (modulate) {
    colourLow = Mul255Words(colourLow, k.diffuseWords);
    colourHigh = Mul255Words(colourHigh, k.diffuseWords);
    alpha = _mm_srli_epi32(_mm_packus_epi16(colourLow, colourHigh), 24);
  }
  const __m128i value =
      _mm_packus_epi16(BlendWords(colourLow, _mm_unpacklo_epi8(old, k.zero)),
                       BlendWords(colourHigh, _mm_unpackhi_epi8(old, k.zero)));
  __m128i written;
  if constexpr (masked) {
    written = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(value, k.writeMask), _mm_andnot_si128(k.writeMask, old)),
        k.opaqueBits);
  } else {
    written = _mm_or_si128(value, k.opaqueBits);
  }
  const __m128i inRange = _mm_and_si128(_mm_cmpgt_epi32(alpha, k.below), _mm_cmplt_epi32(alpha, k.above));
  const __m128i passes = _mm_xor_si128(inRange, k.inverted);
  return _mm_or_si128(_mm_and_si128(passes, written), _mm_andnot_si128(passes, old));
}

// The first `n` (1 to 3) pixels at `p`, zero in the other lanes, and their store back.
[[gnu::always_inline]] inline __m128i LoadPartial(const std::uint32_t* p, std::uint32_t n) {
  const __m128i first = n == 1 ? _mm_cvtsi32_si128(int(p[0]))
                               : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  return n == 3 ? _mm_unpacklo_epi64(first, _mm_cvtsi32_si128(int(p[2]))) : first;
}

[[gnu::always_inline]] inline void StorePartial(std::uint32_t* p, __m128i pixels, std::uint32_t n) {
  if (n == 1) {
    p[0] = std::uint32_t(_mm_cvtsi128_si32(pixels));
    return;
  }
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), pixels);
  if (n == 3) p[2] = std::uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(pixels, 8)));
}

// The sprite's rows four pixels at a time. Groups of four texels of alpha 0 are skipped when
// that leaves the target as the arithmetic would, and groups of alpha 255 copied when the
// texel is the result; the last one to three pixels of a row are loaded and stored apart, so
// that nothing past the row is read or written.
template <bool modulate, bool masked>
void WriteSpriteRows(const SpriteRow& row, std::uint32_t* target, std::ptrdiff_t targetPitch,
                     const std::uint32_t* texels, std::ptrdiff_t texelPitch, std::uint32_t count,
                     std::uint32_t rows, std::uint32_t diffuse) {
  const SpriteLanes k(row, diffuse);
  const __m128i alphaBits = _mm_set1_epi32(int(0xFF000000u));
  const std::uint32_t whole = count & ~3u;
  const std::uint32_t rest = count & 3u;
  for (std::uint32_t y = 0; y < rows; ++y, target += targetPitch, texels += texelPitch) {
    for (std::uint32_t i = 0; i < whole; i += 4) {
      const __m128i texel = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + i));
      const __m128i alpha = _mm_and_si128(texel, alphaBits);
      if (row.skipTransparent && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, k.zero)) == 0xFFFF) {
        continue;
      }
      __m128i* out = reinterpret_cast<__m128i*>(target + i);
      if (row.copyOpaque && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaBits)) == 0xFFFF) {
        _mm_storeu_si128(out, texel);
        continue;
      }
      _mm_storeu_si128(out, SpriteQuad<modulate, masked>(k, texel, _mm_loadu_si128(out)));
    }
    if (rest != 0) {
      const __m128i texel = LoadPartial(texels + whole, rest);
      const __m128i old = LoadPartial(target + whole, rest);
      StorePartial(target + whole, SpriteQuad<modulate, masked>(k, texel, old), rest);
    }
  }
}
#endif

}  // namespace

PixelPipeline::PixelPipeline(const DeviceState& state, bool textured, bool targetAlpha)
    : textured(textured) {
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
    case D3DTOP_MODULATE2X:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return Mul255(x, y) * 2; });
    case D3DTOP_MODULATE4X:
      return PerChannel(a, b, [](std::uint32_t x, std::uint32_t y) { return Mul255(x, y) * 4; });
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
  return Compare(alphaFunc, alpha, alphaRef);
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
  // The sprite's states without a call or a branch per pixel; a pixel failing the alpha test
  // gets its old value back.
  const bool masked = (writeMask | opaqueBits) != 0xFFFFFFFFu;
  SpriteRow row{alphaTest ? passLow : 0, alphaTest ? passHigh : 255, alphaTest && passOutside,
                writeMask, opaqueBits, false, false};
  // Alpha 0 blends to the old value, which stays unless the write adds opaque bits; alpha 255
  // of a white diffuse blends to the texel.
  row.skipTransparent = !row.Passes(0) || opaqueBits == 0;
  row.copyOpaque = diffuse == white && !masked && row.Passes(255);
#if defined(__SSE2__)
  const auto write = diffuse != white ? (masked ? WriteSpriteRows<true, true> : WriteSpriteRows<true, false>)
                                      : (masked ? WriteSpriteRows<false, true> : WriteSpriteRows<false, false>);
  write(row, target, targetPitch, texels, texelPitch, count, rows, diffuse);
#else
  for (std::uint32_t y = 0; y < rows; ++y, target += targetPitch, texels += texelPitch) {
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t colour = ModulateTexel(texels[i], diffuse);
      const std::uint32_t old = target[i];
      const std::uint32_t value = BlendSourceAlpha(colour, old);
      const std::uint32_t written = ((value & writeMask) | (old & ~writeMask)) | opaqueBits;
      target[i] = row.Passes(int(colour >> 24)) ? written : old;
    }
  }
#endif
}

}  // namespace d3d9

