// Every bit pattern of the lossless 8- and 16-bit formats decodes and re-encodes to itself.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "region_helpers.h"
#include "toolkit/surface/row_converter.h"

namespace {

struct LosslessCase {
  D3DFORMAT format;
  UINT bytes;
  // Bits that are stored (X bits are written as 0).
  unsigned storedMask;
  const char* name;
};

// Decodes all 2^(8 bytes) patterns in one row and encodes the row into a second buffer.
std::vector<BYTE> RoundTrip(D3DFORMAT format, UINT bytes, const std::vector<BYTE>& source,
                            const PALETTEENTRY* palette = nullptr) {
  const UINT count = static_cast<UINT>(source.size() / bytes);
  std::vector<BYTE> input = source;
  std::vector<BYTE> output(source.size(), 0xCD);
  PixelRegion in = RegionOver(input.data(), format, count * bytes, count);
  in.palette = palette;
  PixelRegion out = RegionOver(output.data(), format, count * bytes, count);
  out.palette = palette;
  RowConverterPtr decoder = MakeRowConverter(in);
  RowConverterPtr encoder = MakeRowConverter(out);
  EXPECT_TRUE(decoder && encoder);
  if (!decoder || !encoder) return {};
  std::vector<FloatPixel> row(count);
  decoder->DecodeRow(0, 0, row.data());
  encoder->EncodeRow(0, 0, row.data());
  return output;
}

std::vector<BYTE> AllPatterns(UINT bytes) {
  const UINT count = 1u << (8 * bytes);
  std::vector<BYTE> patterns(count * bytes);
  for (UINT i = 0; i < count; ++i) std::memcpy(&patterns[i * bytes], &i, bytes);
  return patterns;
}

class LosslessFormat : public testing::TestWithParam<LosslessCase> {};

TEST_P(LosslessFormat, EveryPatternSurvivesDecodeAndEncode) {
  const LosslessCase& c = GetParam();
  const std::vector<BYTE> patterns = AllPatterns(c.bytes);
  const std::vector<BYTE> result = RoundTrip(c.format, c.bytes, patterns);
  ASSERT_EQ(result.size(), patterns.size());
  UINT mismatches = 0;
  for (std::size_t i = 0; i < patterns.size() / c.bytes && mismatches < 5; ++i) {
    unsigned expected = 0, actual = 0;
    std::memcpy(&expected, &patterns[i * c.bytes], c.bytes);
    std::memcpy(&actual, &result[i * c.bytes], c.bytes);
    if ((expected & c.storedMask) != actual) {
      ++mismatches;
      ADD_FAILURE() << c.name << " pattern 0x" << std::hex << expected << " came back as 0x"
                    << actual;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EightAndSixteenBit, LosslessFormat,
    testing::Values(LosslessCase{D3DFMT_R3G3B2, 1, 0xFF, "R3G3B2"},
                    LosslessCase{D3DFMT_A8, 1, 0xFF, "A8"}, LosslessCase{D3DFMT_L8, 1, 0xFF, "L8"},
                    LosslessCase{D3DFMT_A4L4, 1, 0xFF, "A4L4"},
                    LosslessCase{D3DFMT_R5G6B5, 2, 0xFFFF, "R5G6B5"},
                    LosslessCase{D3DFMT_X1R5G5B5, 2, 0x7FFF, "X1R5G5B5"},
                    LosslessCase{D3DFMT_A1R5G5B5, 2, 0xFFFF, "A1R5G5B5"},
                    LosslessCase{D3DFMT_A4R4G4B4, 2, 0xFFFF, "A4R4G4B4"},
                    LosslessCase{D3DFMT_X4R4G4B4, 2, 0x0FFF, "X4R4G4B4"},
                    LosslessCase{D3DFMT_A8R3G3B2, 2, 0xFFFF, "A8R3G3B2"},
                    LosslessCase{D3DFMT_A8L8, 2, 0xFFFF, "A8L8"},
                    LosslessCase{D3DFMT_L16, 2, 0xFFFF, "L16"},
                    LosslessCase{D3DFMT_D16_LOCKABLE, 2, 0xFFFF, "D16_LOCKABLE"}),
    [](const testing::TestParamInfo<LosslessCase>& tested) { return tested.param.name; });

// Signed fields are quantised as trunc(v x m + 0.5) toward zero, so a negative value comes
// back one step nearer zero; and the most negative pattern decodes as -1 like the one above.
unsigned SignedAfterRoundTrip(unsigned field, int bits) {
  const int m = (1 << (bits - 1)) - 1;
  int value = static_cast<int>(field) - (field >> (bits - 1) ? (1 << bits) : 0);
  if (value < -m) value = -m;
  if (value < 0) ++value;
  return static_cast<unsigned>(value) & ((1u << bits) - 1);
}

TEST(SignedRoundTrip, V8U8KeepsPositivesAndMovesNegativesOneTowardZero) {
  const std::vector<BYTE> patterns = AllPatterns(2);
  const std::vector<BYTE> result = RoundTrip(D3DFMT_V8U8, 2, patterns);
  ASSERT_EQ(result.size(), patterns.size());
  for (unsigned i = 0; i < 65536; i += 1) {
    const unsigned expected = SignedAfterRoundTrip(i & 0xFF, 8) | SignedAfterRoundTrip(i >> 8, 8)
                                                                      << 8;
    const unsigned actual = result[2 * i] | result[2 * i + 1] << 8;
    ASSERT_EQ(actual, expected) << "pattern " << i;
  }
}

TEST(SignedRoundTrip, L6V5U5KeepsItsUnsignedLuminance) {
  const std::vector<BYTE> patterns = AllPatterns(2);
  const std::vector<BYTE> result = RoundTrip(D3DFMT_L6V5U5, 2, patterns);
  ASSERT_EQ(result.size(), patterns.size());
  for (unsigned i = 0; i < 65536; ++i) {
    const unsigned expected = SignedAfterRoundTrip(i & 31, 5) |
                              SignedAfterRoundTrip((i >> 5) & 31, 5) << 5 | (i & 0xFC00);
    const unsigned actual = result[2 * i] | result[2 * i + 1] << 8;
    ASSERT_EQ(actual, expected) << "pattern " << i;
  }
}

TEST(PaletteRoundTrip, P8AndA8P8KeepIndicesOfADistinctPalette) {
  PALETTEENTRY palette[256];
  for (int i = 0; i < 256; ++i) {
    palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 255};
  }
  const std::vector<BYTE> indices = AllPatterns(1);
  EXPECT_EQ(RoundTrip(D3DFMT_P8, 1, indices, palette), indices);
  const std::vector<BYTE> pairs = AllPatterns(2);
  EXPECT_EQ(RoundTrip(D3DFMT_A8P8, 2, pairs, palette), pairs);
}

TEST(FloatRoundTrip, R16FKeepsEveryNumber) {
  const std::vector<BYTE> patterns = AllPatterns(2);
  const std::vector<BYTE> result = RoundTrip(D3DFMT_R16F, 2, patterns);
  ASSERT_EQ(result.size(), patterns.size());
  for (unsigned i = 0; i < 65536; ++i) {
    const bool nan = (i & 0x7C00) == 0x7C00 && (i & 0x03FF) != 0;
    if (nan) continue;
    ASSERT_EQ(result[2 * i] | result[2 * i + 1] << 8, i);
  }
}

}  // namespace
