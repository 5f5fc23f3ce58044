// The lossless formats wider than 16 bits: every value of every field survives decoding and
// encoding, and X bits come back as 0.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "region_helpers.h"
#include "toolkit/surface/row_converter.h"

namespace {

struct Field {
  int shift;
  int bits;
};

struct WideCase {
  D3DFORMAT format;
  UINT bytes;
  std::vector<Field> fields;  // stored fields; everything else is X
  const char* name;
};

std::uint64_t Mask(int bits) { return (std::uint64_t{1} << bits) - 1; }

// Pattern k gives field f the value (k + 37 f) modulo its range, so that every value of every
// field occurs, in different combinations; X bits are set to catch them being kept.
std::vector<BYTE> Patterns(const WideCase& c, UINT count) {
  std::vector<BYTE> bytes(std::size_t(count) * c.bytes);
  for (UINT k = 0; k < count; ++k) {
    std::uint64_t word = ~std::uint64_t{0};
    for (std::size_t f = 0; f < c.fields.size(); ++f) {
      const Field& field = c.fields[f];
      word &= ~(Mask(field.bits) << field.shift);
      word |= ((k + 37 * f) & Mask(field.bits)) << field.shift;
    }
    std::memcpy(&bytes[std::size_t(k) * c.bytes], &word, c.bytes);
  }
  return bytes;
}

std::uint64_t StoredMask(const WideCase& c) {
  std::uint64_t mask = 0;
  for (const Field& f : c.fields) mask |= Mask(f.bits) << f.shift;
  return mask;
}

class WideLosslessFormat : public testing::TestWithParam<WideCase> {};

TEST_P(WideLosslessFormat, EveryFieldValueSurvivesDecodeAndEncode) {
  const WideCase& c = GetParam();
  int widest = 0;
  for (const Field& f : c.fields) widest = std::max(widest, f.bits);
  const UINT count = 1u << widest;
  std::vector<BYTE> input = Patterns(c, count);
  std::vector<BYTE> output(input.size(), 0xCD);
  RowConverterPtr decoder =
      MakeRowConverter(RegionOver(input.data(), c.format, count * c.bytes, count));
  RowConverterPtr encoder =
      MakeRowConverter(RegionOver(output.data(), c.format, count * c.bytes, count));
  ASSERT_TRUE(decoder && encoder);
  std::vector<FloatPixel> row(count);
  decoder->DecodeRow(0, 0, row.data());
  encoder->EncodeRow(0, 0, row.data());
  const std::uint64_t stored = StoredMask(c);
  for (UINT k = 0; k < count; ++k) {
    std::uint64_t in = 0, out = 0;
    std::memcpy(&in, &input[std::size_t(k) * c.bytes], c.bytes);
    std::memcpy(&out, &output[std::size_t(k) * c.bytes], c.bytes);
    ASSERT_EQ(out, in & stored) << c.name << " pattern " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    WiderThanSixteenBits, WideLosslessFormat,
    testing::Values(
        WideCase{D3DFMT_R8G8B8, 3, {{0, 8}, {8, 8}, {16, 8}}, "R8G8B8"},
        WideCase{D3DFMT_A8R8G8B8, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}, "A8R8G8B8"},
        WideCase{D3DFMT_X8R8G8B8, 4, {{0, 8}, {8, 8}, {16, 8}}, "X8R8G8B8"},
        WideCase{D3DFMT_A8B8G8R8, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}, "A8B8G8R8"},
        WideCase{D3DFMT_X8B8G8R8, 4, {{0, 8}, {8, 8}, {16, 8}}, "X8B8G8R8"},
        WideCase{D3DFMT_A2R10G10B10, 4, {{0, 10}, {10, 10}, {20, 10}, {30, 2}}, "A2R10G10B10"},
        WideCase{D3DFMT_A2B10G10R10, 4, {{0, 10}, {10, 10}, {20, 10}, {30, 2}}, "A2B10G10R10"},
        WideCase{D3DFMT_G16R16, 4, {{0, 16}, {16, 16}}, "G16R16"},
        WideCase{D3DFMT_A16B16G16R16, 8, {{0, 16}, {16, 16}, {32, 16}, {48, 16}}, "A16B16G16R16"},
        WideCase{FMT_R16G16B16, 6, {{0, 16}, {16, 16}, {32, 16}}, "R16G16B16"}),
    [](const testing::TestParamInfo<WideCase>& tested) { return tested.param.name; });

}  // namespace
