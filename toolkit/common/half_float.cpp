// Conversions between binary32 and binary16 in integer arithmetic plus exact float
// operations only, so the result does not depend on the rounding mode (the surface encoder
// runs with truncation). Each element is computed for every case and the right one selected,
// without branches, so the array loops vectorise.
#include <bit>
#include <cstdint>

#include "toolkit/common/d3dx_math.h"

namespace {

constexpr std::int32_t floatAbsMask = 0x7FFFFFFF;
constexpr std::int32_t floatInfinity = 0x7F800000;
// 65536: from here up the result is infinity (from 65520 the rounding carries there too).
constexpr std::int32_t halfOverflow = 0x47800000;
// Floats below this magnitude become half subnormals.
constexpr std::int32_t halfMinNormal = 0x38800000;  // 2^-14
constexpr std::int32_t exponentRebias = (127 - 15) << 23;

// `whenTrue` where `condition` holds, else `whenFalse`, as bit masks: the compiler keeps both
// sides computed, rather than moving the float side into a branch that defeats vectorising.
std::int32_t Select(bool condition, std::int32_t whenTrue, std::int32_t whenFalse) {
  const std::int32_t mask = -static_cast<std::int32_t>(condition);
  return (whenTrue & mask) | (whenFalse & ~mask);
}

std::uint16_t HalfFromFloat(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const std::int32_t sign = static_cast<std::int32_t>((bits >> 16) & 0x8000u);
  const std::int32_t magnitude = static_cast<std::int32_t>(bits) & floatAbsMask;

  // Normal: drop 13 mantissa bits, rounding to nearest even; a carry may reach infinity.
  const std::int32_t lowBitOdd = (magnitude >> 13) & 1;
  const std::int32_t normal = (magnitude - exponentRebias + 0x0FFF + lowBitOdd) >> 13;

  // Subnormal: the value in units of 2^-24 is below 1024; its integer part and fraction come
  // from exact float operations (scaling by a power of two, truncation, subtraction).
  const std::int32_t clamped = Select(magnitude < halfMinNormal, magnitude, halfMinNormal);
  const float units = std::bit_cast<float>(clamped) * 16777216.0f;
  const std::int32_t whole = static_cast<std::int32_t>(units);
  const float fraction = units - static_cast<float>(whole);
  const std::int32_t above = Select(fraction > 0.5f, 1, 0);
  const std::int32_t tie = Select(fraction == 0.5f, 1, 0);
  const std::int32_t roundUp = above | (tie & whole);  // a tie goes to the even neighbour
  // Rounding up to 1024 gives the smallest normal's encoding, as it should.
  const std::int32_t subnormal = whole + roundUp;

  // NaN: quiet, with the top 10 bits of the payload.
  const std::int32_t nan = 0x7E00 | ((magnitude >> 13) & 0x03FF);

  std::int32_t half = Select(magnitude < halfMinNormal, subnormal, normal);
  half = Select(magnitude >= halfOverflow, 0x7C00, half);
  half = Select(magnitude > floatInfinity, nan, half);
  return static_cast<std::uint16_t>(half | sign);
}

float FloatFromHalf(std::uint16_t half) {
  const std::uint32_t sign = static_cast<std::uint32_t>(half & 0x8000) << 16;
  const std::int32_t magnitude = half & 0x7FFF;

  const std::int32_t normal = (magnitude << 13) + exponentRebias;
  // Infinity and NaN keep their payload; the exponent becomes all ones.
  const std::int32_t special = (magnitude << 13) + (exponentRebias << 1);
  // Subnormal: mantissa x 2^-24, exact in float.
  const float subnormalValue = static_cast<float>(magnitude) * 5.9604644775390625e-8f;
  const std::int32_t subnormal = std::bit_cast<std::int32_t>(subnormalValue);

  std::int32_t bits = Select(magnitude >= 0x7C00, special, normal);
  bits = Select(magnitude < 0x0400, subnormal, bits);
  return std::bit_cast<float>(static_cast<std::uint32_t>(bits) | sign);
}

}  // namespace

D3DXFLOAT16::D3DXFLOAT16(FLOAT f) : value(HalfFromFloat(f)) {}

D3DXFLOAT16::operator FLOAT() const { return FloatFromHalf(value); }

D3DXFLOAT16* D3DXFloat32To16Array(D3DXFLOAT16* out, const FLOAT* in, UINT n) {
  for (UINT i = 0; i < n; ++i) out[i].value = HalfFromFloat(in[i]);
  return out;
}

FLOAT* D3DXFloat16To32Array(FLOAT* out, const D3DXFLOAT16* in, UINT n) {
  for (UINT i = 0; i < n; ++i) out[i] = FloatFromHalf(in[i].value);
  return out;
}
