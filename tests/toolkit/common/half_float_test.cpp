#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include "toolkit/common/d3dx_math.h"

namespace {

WORD ToHalf(float value) {
  D3DXFLOAT16 half;
  D3DXFloat32To16Array(&half, &value, 1);
  return half.value;
}

float ToFloat(WORD bits) {
  const D3DXFLOAT16 half = D3DXFLOAT16::FromBits(bits);
  float value;
  D3DXFloat16To32Array(&value, &half, 1);
  return value;
}

std::uint32_t ToFloatBits(WORD bits) { return std::bit_cast<std::uint32_t>(ToFloat(bits)); }

bool IsHalfNaN(WORD bits) { return (bits & 0x7C00) == 0x7C00 && (bits & 0x03FF) != 0; }

// The value of a half from its fields, worked out in double.
double ReferenceValue(WORD bits) {
  const int exponent = (bits >> 10) & 0x1F;
  const int mantissa = bits & 0x03FF;
  const double sign = (bits & 0x8000) ? -1.0 : 1.0;
  if (exponent == 0x1F) return sign * INFINITY;
  if (exponent == 0) return sign * std::ldexp(mantissa, -24);
  return sign * std::ldexp(1024 + mantissa, exponent - 25);
}

TEST(HalfFloatTest, WideningGivesEveryHalfItsExactValue) {
  std::vector<D3DXFLOAT16> halves(65536);
  for (int bits = 0; bits < 65536; ++bits) halves[bits] = D3DXFLOAT16::FromBits(bits);
  std::vector<float> floats(65536);
  D3DXFloat16To32Array(floats.data(), halves.data(), 65536);
  for (int bits = 0; bits < 65536; ++bits) {
    if (IsHalfNaN(bits)) {
      EXPECT_TRUE(std::isnan(floats[bits])) << std::hex << bits;
      continue;
    }
    EXPECT_EQ(ReferenceValue(bits), floats[bits]) << std::hex << bits;
    EXPECT_EQ(bits >= 0x8000, std::signbit(floats[bits])) << std::hex << bits;
  }
}

// NaNs come back quiet, with their sign and payload.
TEST(HalfFloatTest, EveryHalfSurvivesTheRoundTrip) {
  std::vector<D3DXFLOAT16> halves(65536);
  for (int bits = 0; bits < 65536; ++bits) halves[bits] = D3DXFLOAT16::FromBits(bits);
  std::vector<float> floats(65536);
  std::vector<D3DXFLOAT16> back(65536);
  D3DXFloat16To32Array(floats.data(), halves.data(), 65536);
  D3DXFloat32To16Array(back.data(), floats.data(), 65536);
  for (int bits = 0; bits < 65536; ++bits) {
    const WORD expected = IsHalfNaN(bits) ? (bits | 0x0200) : bits;
    EXPECT_EQ(expected, back[bits].value) << std::hex << bits;
  }
}

// For floats spread over the whole range: the result is the nearest half, ties to even.
TEST(HalfFloatTest, NarrowingPicksTheNearestHalf) {
  for (std::uint64_t pattern = 0; pattern <= 0xFFFFFFFFu; pattern += 4099) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(pattern));
    if (std::isnan(value)) continue;
    const WORD half = ToHalf(value);
    const double magnitude = std::fabs(static_cast<double>(value));
    ASSERT_EQ(std::signbit(value), (half & 0x8000) != 0) << value;
    const WORD halfMagnitude = half & 0x7FFF;
    if (magnitude >= 65520.0) {
      ASSERT_EQ(0x7C00, halfMagnitude) << value;
      continue;
    }
    ASSERT_LT(halfMagnitude, 0x7C00) << value;
    const double error = std::fabs(ReferenceValue(halfMagnitude) - magnitude);
    const double errorAbove = std::fabs(ReferenceValue(halfMagnitude + 1) - magnitude);
    ASSERT_TRUE(error < errorAbove || (error == errorAbove && halfMagnitude % 2 == 0))
        << value << " gave 0x" << std::hex << half << "; the half above is nearer";
    if (halfMagnitude > 0) {
      const double errorBelow = std::fabs(ReferenceValue(halfMagnitude - 1) - magnitude);
      ASSERT_TRUE(error < errorBelow || (error == errorBelow && halfMagnitude % 2 == 0))
          << value << " gave 0x" << std::hex << half << "; the half below is nearer";
    }
  }
}

TEST(HalfFloatTest, TiesRoundToEven) {
  EXPECT_EQ(0x3C00, ToHalf(1.0f + std::ldexp(1.0f, -11)));      // 1 + half a step: down to 1
  EXPECT_EQ(0x3C02, ToHalf(1.0f + 3 * std::ldexp(1.0f, -11)));  // 1 + 1.5 steps: up to even
  EXPECT_EQ(0x3C01, ToHalf(std::nextafter(1.0f + std::ldexp(1.0f, -11), 2.0f)));
  EXPECT_EQ(0x3C00, ToHalf(std::nextafter(1.0f, 0.0f)));
  EXPECT_EQ(0xBC02, ToHalf(-1.0f - 3 * std::ldexp(1.0f, -11)));
}

TEST(HalfFloatTest, LargeValuesOverflowToInfinityFrom65520) {
  EXPECT_EQ(0x7BFF, ToHalf(65504.0f));
  EXPECT_EQ(0x7BFF, ToHalf(std::nextafter(65520.0f, 0.0f)));
  EXPECT_EQ(0x7C00, ToHalf(65520.0f));
  EXPECT_EQ(0xFC00, ToHalf(-65520.0f));
  EXPECT_EQ(0x7C00, ToHalf(65536.0f));
  EXPECT_EQ(0x7C00, ToHalf(FLT_MAX));
  EXPECT_EQ(65504.0f, ToFloat(0x7BFF));
}

TEST(HalfFloatTest, SmallValuesBecomeSubnormals) {
  const float smallest = std::ldexp(1.0f, -24);
  EXPECT_EQ(0x0001, ToHalf(smallest));
  EXPECT_EQ(0x0000, ToHalf(smallest / 2));  // a tie between 0 and the smallest
  EXPECT_EQ(0x0001, ToHalf(std::nextafter(smallest / 2, 1.0f)));
  EXPECT_EQ(0x0002, ToHalf(smallest * 1.5f));
  EXPECT_EQ(0x0400, ToHalf(std::ldexp(1.0f, -14) - smallest / 2));  // up into the normals
  EXPECT_EQ(0x03FF, ToHalf(std::ldexp(1.0f, -14) - smallest));
  EXPECT_EQ(0x8001, ToHalf(-smallest));
  EXPECT_EQ(0x0000, ToHalf(FLT_TRUE_MIN));
  EXPECT_EQ(smallest, ToFloat(0x0001));
  EXPECT_EQ(1023 * smallest, ToFloat(0x03FF));
}

TEST(HalfFloatTest, ZerosAndInfinitiesKeepTheirSign) {
  EXPECT_EQ(0x0000, ToHalf(0.0f));
  EXPECT_EQ(0x8000, ToHalf(-0.0f));
  EXPECT_EQ(0x7C00, ToHalf(INFINITY));
  EXPECT_EQ(0xFC00, ToHalf(-INFINITY));
  EXPECT_EQ(0x80000000u, ToFloatBits(0x8000));
  EXPECT_EQ(0x7F800000u, ToFloatBits(0x7C00));
  EXPECT_EQ(0xFF800000u, ToFloatBits(0xFC00));
}

TEST(HalfFloatTest, NaNsStayQuietNaNsWithSignAndPayload) {
  auto fromBits = [](std::uint32_t bits) { return std::bit_cast<float>(bits); };
  EXPECT_EQ(0x7E00, ToHalf(fromBits(0x7FC00000u)));
  EXPECT_EQ(0xFE00, ToHalf(fromBits(0xFFC00000u)));
  EXPECT_EQ(0x7F01, ToHalf(fromBits(0x7FE02000u)));  // payload's top bits kept
  EXPECT_EQ(0x7E01, ToHalf(fromBits(0x7F802000u)));  // signalling: made quiet
  EXPECT_EQ(0x7E00, ToHalf(fromBits(0x7F800001u)));  // payload below the kept bits: no infinity
  EXPECT_EQ(0x7FC02000u, ToFloatBits(0x7E01));
}

// The surface encoder converts rows with the rounding mode set to truncation.
TEST(HalfFloatTest, ConversionIgnoresTheRoundingMode) {
  const int previous = std::fegetround();
  ASSERT_EQ(0, std::fesetround(FE_TOWARDZERO));
  const WORD roundedUp = ToHalf(1.0f + 3 * std::ldexp(1.0f, -11));
  const WORD subnormalUp = ToHalf(std::ldexp(1.0f, -24) * 1.5f);
  const WORD nearlyNormal = ToHalf(std::ldexp(1.0f, -14) - std::ldexp(1.0f, -25));
  const WORD overflow = ToHalf(65520.0f);
  const float widened = ToFloat(0x0155);
  std::fesetround(previous);
  EXPECT_EQ(0x3C02, roundedUp);
  EXPECT_EQ(0x0002, subnormalUp);
  EXPECT_EQ(0x0400, nearlyNormal);
  EXPECT_EQ(0x7C00, overflow);
  EXPECT_EQ(std::ldexp(341.0f, -24), widened);
}

TEST(HalfFloatTest, ValueTypeConvertsBothWays) {
  const D3DXFLOAT16 half(0.5f);
  EXPECT_EQ(0x3800, half.value);
  EXPECT_EQ(0.5f, static_cast<float>(half));
  EXPECT_TRUE(D3DXFLOAT16(-2.0f) == D3DXFLOAT16::FromBits(0xC000));
}

}  // namespace
