// Row kernels of the sprite's states, each named for its instruction set: Sse2Rows (128-bit,
// four pixels a step) everywhere on x86-64, Avx2Rows (256-bit, eight) and Avx512Rows (AVX-512BW,
// sixteen) where the processor has them, and PlainRows elsewhere. All compute the same values.
// Each instruction set has its own loop: code built for one cannot be shared with another
// without a call per step.
//
// Groups of texels of alpha 0 are skipped when that leaves the target as the arithmetic would,
// and groups of alpha 255 copied when the texel is the result; the last pixels of a row are
// loaded and stored apart, so that nothing past the row is read or written.
#include "platform/d3d9/raster/sprite_rows.h"

#include <algorithm>
#include <atomic>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MIREFELL_AVX_ROWS 1
#endif

namespace d3d9 {
namespace {

#if defined(__SSE2__)
// Mul255 in each 16-bit lane: for t = x * y + 128 below 65,536, (t + (t >> 8)) >> 8 equals
// (t * 257) >> 16, the high half of an unsigned product.
[[gnu::always_inline]] inline __m128i Mul255Words(__m128i x, __m128i y) {
  const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
  return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}

// Source-alpha blending of two pixels, one channel per lane (see BlendSourceAlpha).
[[gnu::always_inline]] inline __m128i BlendWords(__m128i source, __m128i target) {
  const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(source, 0xFF), 0xFF);
  return _mm_add_epi16(Mul255Words(source, alpha),
                       Mul255Words(target, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
}

// What the kernel keeps in registers for a whole block of rows.
struct Sse2Lanes {
  __m128i zero, diffuseWords, below, above, inverted, writeMask, opaqueBits;

  explicit Sse2Lanes(const SpriteRow& row)
      : zero(_mm_setzero_si128()),
        diffuseWords(_mm_unpacklo_epi8(_mm_set1_epi32(int(row.diffuse)), zero)),
        below(_mm_set1_epi32(row.low - 1)),
        above(_mm_set1_epi32(row.high + 1)),
        inverted(_mm_set1_epi32(row.inverted ? -1 : 0)),
        writeMask(_mm_set1_epi32(int(row.writeMask))),
        opaqueBits(_mm_set1_epi32(int(row.opaqueBits))) {}
};

// Four pixels. Without `modulate` the diffuse is white, which leaves texels as they are;
// without `masked` every bit of the target is written or opaque.
template <bool modulate, bool masked>
[[gnu::always_inline]] inline __m128i Group(const Sse2Lanes& k, __m128i texel, __m128i old) {
  __m128i colourLow = _mm_unpacklo_epi8(texel, k.zero);
  __m128i colourHigh = _mm_unpackhi_epi8(texel, k.zero);
  __m128i alpha = _mm_srli_epi32(texel, 24);
  if constexpr (modulate) {
    colourLow = Mul255Words(colourLow, k.diffuseWords);
    colourHigh = Mul255Words(colourHigh, k.diffuseWords);
    alpha = _mm_srli_epi32(_mm_packus_epi16(colourLow, colourHigh), 24);
  }
  const __m128i value = _mm_packus_epi16(BlendWords(colourLow, _mm_unpacklo_epi8(old, k.zero)),
                                         BlendWords(colourHigh, _mm_unpackhi_epi8(old, k.zero)));
  __m128i written = _mm_or_si128(value, k.opaqueBits);
  if constexpr (masked) {
    written = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(value, k.writeMask), _mm_andnot_si128(k.writeMask, old)),
        k.opaqueBits);
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

template <bool modulate, bool masked>
void Sse2Rows(const SpriteRow& row, std::uint32_t* target, std::ptrdiff_t targetPitch,
              const std::uint32_t* texels, std::ptrdiff_t texelPitch, std::uint32_t count,
              std::uint32_t rows) {
  const Sse2Lanes k(row);
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
      _mm_storeu_si128(out, Group<modulate, masked>(k, texel, _mm_loadu_si128(out)));
    }
    if (rest != 0) {
      const __m128i texel = LoadPartial(texels + whole, rest);
      const __m128i old = LoadPartial(target + whole, rest);
      StorePartial(target + whole, Group<modulate, masked>(k, texel, old), rest);
    }
  }
}
#endif  // __SSE2__

#if MIREFELL_AVX_ROWS
// The same steps eight pixels at a time. Unpacking and packing work within each 128-bit half,
// so every pixel comes back to its own place.
#define AVX2_STEP [[gnu::target("avx2"), gnu::always_inline]] inline

AVX2_STEP __m256i Mul255Words(__m256i x, __m256i y) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
  return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

AVX2_STEP __m256i BlendWords(__m256i source, __m256i target) {
  const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(source, 0xFF), 0xFF);
  return _mm256_add_epi16(Mul255Words(source, alpha),
                          Mul255Words(target, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)));
}

struct Avx2Lanes {
  __m256i zero, diffuseWords, below, above, inverted, writeMask, opaqueBits;
};

AVX2_STEP Avx2Lanes MakeAvx2Lanes(const SpriteRow& row) {
  const __m256i zero = _mm256_setzero_si256();
  return {zero,
          _mm256_unpacklo_epi8(_mm256_set1_epi32(int(row.diffuse)), zero),
          _mm256_set1_epi32(row.low - 1),
          _mm256_set1_epi32(row.high + 1),
          _mm256_set1_epi32(row.inverted ? -1 : 0),
          _mm256_set1_epi32(int(row.writeMask)),
          _mm256_set1_epi32(int(row.opaqueBits))};
}

template <bool modulate, bool masked>
AVX2_STEP __m256i Group(const Avx2Lanes& k, __m256i texel, __m256i old) {
  __m256i colourLow = _mm256_unpacklo_epi8(texel, k.zero);
  __m256i colourHigh = _mm256_unpackhi_epi8(texel, k.zero);
  __m256i alpha = _mm256_srli_epi32(texel, 24);
  if constexpr (modulate) {
    colourLow = Mul255Words(colourLow, k.diffuseWords);
    colourHigh = Mul255Words(colourHigh, k.diffuseWords);
    alpha = _mm256_srli_epi32(_mm256_packus_epi16(colourLow, colourHigh), 24);
  }
  const __m256i value =
      _mm256_packus_epi16(BlendWords(colourLow, _mm256_unpacklo_epi8(old, k.zero)),
                          BlendWords(colourHigh, _mm256_unpackhi_epi8(old, k.zero)));
  __m256i written = _mm256_or_si256(value, k.opaqueBits);
  if constexpr (masked) {
    written = _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(value, k.writeMask),
                                              _mm256_andnot_si256(k.writeMask, old)),
                              k.opaqueBits);
  }
  const __m256i inRange =
      _mm256_and_si256(_mm256_cmpgt_epi32(alpha, k.below), _mm256_cmpgt_epi32(k.above, alpha));
  const __m256i passes = _mm256_xor_si256(inRange, k.inverted);
  return _mm256_blendv_epi8(old, written, passes);
}

// Lane masks for the last 1 to 7 pixels of a row: the eight entries from 8 - n on.
alignas(32) constexpr std::int32_t tailMasks[16] = {-1, -1, -1, -1, -1, -1, -1, -1,
                                                    0,  0,  0,  0,  0,  0,  0,  0};

template <bool modulate, bool masked>
[[gnu::target("avx2")]] void Avx2Rows(const SpriteRow& row, std::uint32_t* target,
                                      std::ptrdiff_t targetPitch, const std::uint32_t* texels,
                                      std::ptrdiff_t texelPitch, std::uint32_t count,
                                      std::uint32_t rows) {
  const Avx2Lanes k = MakeAvx2Lanes(row);
  const __m256i alphaBits = _mm256_set1_epi32(int(0xFF000000u));
  const std::uint32_t whole = count & ~7u;
  const std::uint32_t rest = count & 7u;
  const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(tailMasks + 8 - rest));
  for (std::uint32_t y = 0; y < rows; ++y, target += targetPitch, texels += texelPitch) {
    for (std::uint32_t i = 0; i < whole; i += 8) {
      const __m256i texel = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(texels + i));
      const __m256i alpha = _mm256_and_si256(texel, alphaBits);
      if (row.skipTransparent && _mm256_testz_si256(alpha, alpha)) continue;
      __m256i* out = reinterpret_cast<__m256i*>(target + i);
      if (row.copyOpaque && _mm256_movemask_epi8(_mm256_cmpeq_epi32(alpha, alphaBits)) == -1) {
        _mm256_storeu_si256(out, texel);
        continue;
      }
      _mm256_storeu_si256(out, Group<modulate, masked>(k, texel, _mm256_loadu_si256(out)));
    }
    if (rest != 0) {
      // Masked lanes are neither read nor written.
      int* const end = reinterpret_cast<int*>(target + whole);
      const __m256i texel = _mm256_maskload_epi32(reinterpret_cast<const int*>(texels + whole), tail);
      const __m256i old = _mm256_maskload_epi32(end, tail);
      _mm256_maskstore_epi32(end, tail, Group<modulate, masked>(k, texel, old));
    }
  }
}

#undef AVX2_STEP

// Sixteen pixels at a time, with the alpha test and the last pixels of a row in mask registers.
#define AVX512_STEP [[gnu::target("avx512f,avx512bw"), gnu::always_inline]] inline

AVX512_STEP __m512i Mul255Words(__m512i x, __m512i y) {
  const __m512i t = _mm512_add_epi16(_mm512_mullo_epi16(x, y), _mm512_set1_epi16(128));
  return _mm512_mulhi_epu16(t, _mm512_set1_epi16(257));
}

AVX512_STEP __m512i BlendWords(__m512i source, __m512i target) {
  const __m512i alpha = _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(source, 0xFF), 0xFF);
  return _mm512_add_epi16(Mul255Words(source, alpha),
                          Mul255Words(target, _mm512_sub_epi16(_mm512_set1_epi16(255), alpha)));
}

struct Avx512Lanes {
  __m512i zero, diffuseWords, below, above, writeMask, opaqueBits;
  __mmask16 inverted;
};

AVX512_STEP Avx512Lanes MakeAvx512Lanes(const SpriteRow& row) {
  const __m512i zero = _mm512_setzero_si512();
  return {zero,
          _mm512_unpacklo_epi8(_mm512_set1_epi32(int(row.diffuse)), zero),
          _mm512_set1_epi32(row.low - 1),
          _mm512_set1_epi32(row.high + 1),
          _mm512_set1_epi32(int(row.writeMask)),
          _mm512_set1_epi32(int(row.opaqueBits)),
          __mmask16(row.inverted ? 0xFFFF : 0)};
}

template <bool modulate, bool masked>
AVX512_STEP __m512i Group(const Avx512Lanes& k, __m512i texel, __m512i old) {
  __m512i colourLow = _mm512_unpacklo_epi8(texel, k.zero);
  __m512i colourHigh = _mm512_unpackhi_epi8(texel, k.zero);
  // The zero-masked shift: the plain one leaves a compiler warning about undefined lanes.
  __m512i alpha = _mm512_maskz_srli_epi32(0xFFFF, texel, 24);
  if constexpr (modulate) {
    colourLow = Mul255Words(colourLow, k.diffuseWords);
    colourHigh = Mul255Words(colourHigh, k.diffuseWords);
    alpha = _mm512_maskz_srli_epi32(0xFFFF, _mm512_packus_epi16(colourLow, colourHigh), 24);
  }
  const __m512i value =
      _mm512_packus_epi16(BlendWords(colourLow, _mm512_unpacklo_epi8(old, k.zero)),
                          BlendWords(colourHigh, _mm512_unpackhi_epi8(old, k.zero)));
  __m512i written = _mm512_or_si512(value, k.opaqueBits);
  if constexpr (masked) {
    // Bits of the write mask from the value, the others from the target (0xCA: a ? b : c).
    written = _mm512_or_si512(_mm512_ternarylogic_epi32(k.writeMask, value, old, 0xCA),
                              k.opaqueBits);
  }
  const __mmask16 inRange =
      _mm512_cmpgt_epi32_mask(alpha, k.below) & _mm512_cmpgt_epi32_mask(k.above, alpha);
  return _mm512_mask_blend_epi32(__mmask16(inRange ^ k.inverted), old, written);
}

template <bool modulate, bool masked>
[[gnu::target("avx512f,avx512bw")]] void Avx512Rows(const SpriteRow& row, std::uint32_t* target,
                                                    std::ptrdiff_t targetPitch,
                                                    const std::uint32_t* texels,
                                                    std::ptrdiff_t texelPitch, std::uint32_t count,
                                                    std::uint32_t rows) {
  const Avx512Lanes k = MakeAvx512Lanes(row);
  const __m512i alphaBits = _mm512_set1_epi32(int(0xFF000000u));
  const std::uint32_t whole = count & ~15u;
  const __mmask16 tail = __mmask16((1u << (count & 15u)) - 1);
  for (std::uint32_t y = 0; y < rows; ++y, target += targetPitch, texels += texelPitch) {
    for (std::uint32_t i = 0; i < whole; i += 16) {
      const __m512i texel = _mm512_loadu_si512(texels + i);
      if (row.skipTransparent && _mm512_test_epi32_mask(texel, alphaBits) == 0) continue;
      if (row.copyOpaque &&
          _mm512_cmpeq_epi32_mask(_mm512_and_si512(texel, alphaBits), alphaBits) == 0xFFFF) {
        _mm512_storeu_si512(target + i, texel);
        continue;
      }
      _mm512_storeu_si512(target + i,
                          Group<modulate, masked>(k, texel, _mm512_loadu_si512(target + i)));
    }
    if (tail != 0) {
      // Masked lanes are neither read nor written.
      const __m512i texel = _mm512_maskz_loadu_epi32(tail, texels + whole);
      const __m512i old = _mm512_maskz_loadu_epi32(tail, target + whole);
      _mm512_mask_storeu_epi32(target + whole, tail, Group<modulate, masked>(k, texel, old));
    }
  }
}

#undef AVX512_STEP
#endif  // MIREFELL_AVX_ROWS

using RowKernel = void (*)(const SpriteRow&, std::uint32_t*, std::ptrdiff_t, const std::uint32_t*,
                           std::ptrdiff_t, std::uint32_t, std::uint32_t);

// The four forms of a kernel family, by whether the diffuse modulates and the target is masked.
template <template <bool, bool> class Family>
RowKernel Choose(bool modulate, bool masked) {
  if (modulate) return masked ? Family<true, true>::run : Family<true, false>::run;
  return masked ? Family<false, true>::run : Family<false, false>::run;
}

#if defined(__SSE2__)
template <bool modulate, bool masked>
struct Sse2Family {
  static constexpr RowKernel run = Sse2Rows<modulate, masked>;
};
#endif

#if MIREFELL_AVX_ROWS
template <bool modulate, bool masked>
struct Avx2Family {
  static constexpr RowKernel run = Avx2Rows<modulate, masked>;
};

template <bool modulate, bool masked>
struct Avx512Family {
  static constexpr RowKernel run = Avx512Rows<modulate, masked>;
};
#endif

// The plain form, pixel by pixel, for processors without those instructions.
void PlainRows(const SpriteRow& row, std::uint32_t* target, std::ptrdiff_t targetPitch,
               const std::uint32_t* texels, std::ptrdiff_t texelPitch, std::uint32_t count,
               std::uint32_t rows) {
  for (std::uint32_t y = 0; y < rows; ++y, target += targetPitch, texels += texelPitch) {
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t colour = ModulateTexel(texels[i], row.diffuse);
      const std::uint32_t old = target[i];
      const std::uint32_t value = BlendSourceAlpha(colour, old);
      const std::uint32_t written = ((value & row.writeMask) | (old & ~row.writeMask)) | row.opaqueBits;
      target[i] = row.Passes(int(colour >> 24)) ? written : old;
    }
  }
}

// The widest step the processor offers, in pixels, and the widest that tests allow.
unsigned WidestSupported() {
#if MIREFELL_AVX_ROWS
  static const unsigned widest =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
          ? 16
          : (__builtin_cpu_supports("avx2") ? 8 : 4);
  return widest;
#elif defined(__SSE2__)
  return 4;
#else
  return 1;
#endif
}

std::atomic<unsigned> widestAllowed{16};

}  // namespace

void WriteSpriteRows(const SpriteRow& row, std::uint32_t* target, std::ptrdiff_t targetPitch,
                     const std::uint32_t* texels, std::ptrdiff_t texelPitch, std::uint32_t count,
                     std::uint32_t rows) {
  if (count == 0) return;
  const bool modulate = row.diffuse != 0xFFFFFFFFu;
  RowKernel kernel = PlainRows;
  switch (SpriteRowStep()) {
#if MIREFELL_AVX_ROWS
    case 16: kernel = Choose<Avx512Family>(modulate, row.Masked()); break;
    case 8: kernel = Choose<Avx2Family>(modulate, row.Masked()); break;
#endif
#if defined(__SSE2__)
    case 4: kernel = Choose<Sse2Family>(modulate, row.Masked()); break;
#endif
    default: break;
  }
  kernel(row, target, targetPitch, texels, texelPitch, count, rows);
}

unsigned SpriteRowStep() {
  return std::min(WidestSupported(), widestAllowed.load(std::memory_order_relaxed));
}

void LimitSpriteRowStep(unsigned pixels) { widestAllowed.store(pixels, std::memory_order_relaxed); }

}  // namespace d3d9
