// The two-pixel formats: byte orders, BT.601 YUV, shared chroma and pairs cut by the box.
#include <gtest/gtest.h>

#include <vector>

#include "region_helpers.h"
#include "toolkit/surface/row_converter.h"

namespace {

// Decoding multiplies by the factor 1/255 stored as a float.
constexpr float k255 = 1.0f / 255.0f;

std::vector<FloatPixel> DecodePairRow(D3DFORMAT format, std::vector<BYTE> bytes) {
  const UINT width = static_cast<UINT>(bytes.size() / 2);
  RowConverterPtr converter =
      MakeRowConverter(RegionOver(bytes.data(), format, static_cast<UINT>(bytes.size()), width));
  std::vector<FloatPixel> row(width);
  if (converter) converter->DecodeRow(0, 0, row.data());
  return row;
}

TEST(PackedPairFormats, Yuy2AndUyvyDecodeVideoRangeLuma) {
  const std::vector<FloatPixel> yuy2 = DecodePairRow(D3DFMT_YUY2, {235, 128, 16, 128});
  ASSERT_EQ(yuy2.size(), 2u);
  EXPECT_NEAR(yuy2[0].r, 1.0f, 0.002);
  EXPECT_NEAR(yuy2[0].b, 1.0f, 0.002);
  EXPECT_FLOAT_EQ(yuy2[1].g, 0.0f);
  EXPECT_FLOAT_EQ(yuy2[1].a, 1.0f);
  const std::vector<FloatPixel> uyvy = DecodePairRow(D3DFMT_UYVY, {128, 235, 128, 16});
  EXPECT_EQ(uyvy, yuy2);
}

TEST(PackedPairFormats, ChromaGivesColour) {
  // Y 81, U 90, V 240 is BT.601 red.
  const std::vector<FloatPixel> red = DecodePairRow(D3DFMT_YUY2, {81, 90, 81, 240});
  EXPECT_NEAR(red[0].r, 1.0f, 0.01);
  EXPECT_NEAR(red[0].g, 0.0f, 0.01);
  EXPECT_NEAR(red[0].b, 0.0f, 0.01);
}

TEST(PackedPairFormats, EncodingAveragesThePairsChroma) {
  std::vector<BYTE> bytes(4, 0);
  RowConverterPtr converter = MakeRowConverter(RegionOver(bytes.data(), D3DFMT_YUY2, 4, 2));
  ASSERT_TRUE(converter);
  const FloatPixel pair[2] = {{1, 0, 0, 1}, {1, 0, 0, 1}};
  converter->EncodeRow(0, 0, pair);
  EXPECT_EQ(bytes, (std::vector<BYTE>{81, 90, 81, 240}));
  const FloatPixel redAndBlue[2] = {{1, 0, 0, 1}, {0, 0, 1, 1}};
  converter->EncodeRow(0, 0, redAndBlue);
  // U = (90.2 + 240) / 2, V = (240 + 109.8) / 2.
  EXPECT_EQ(bytes[1], 165);
  EXPECT_EQ(bytes[3], 175);
}

TEST(PackedPairFormats, RgbgFormatsShareRedAndBlue) {
  const std::vector<FloatPixel> grgb = DecodePairRow(D3DFMT_G8R8_G8B8, {255, 51, 0, 102});
  EXPECT_EQ(grgb[0], (FloatPixel{51 * k255, 1, 102 * k255, 1}));
  EXPECT_EQ(grgb[1], (FloatPixel{51 * k255, 0, 102 * k255, 1}));
  const std::vector<FloatPixel> rgbg = DecodePairRow(D3DFMT_R8G8_B8G8, {51, 255, 102, 0});
  EXPECT_EQ(rgbg, grgb);
}

TEST(PackedPairFormats, PairCutByTheBoxKeepsItsOtherPixel) {
  // Two G8R8_G8B8 pairs; write only pixels 1 and 2 (one of each pair).
  std::vector<BYTE> bytes = {10, 0, 20, 0, 30, 0, 40, 0};
  PixelRegion region = RegionOver(bytes.data(), D3DFMT_G8R8_G8B8, 8, 4);
  region.box = {1, 0, 3, 1, 0, 1};
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  const FloatPixel white[2] = {{1, 1, 1, 1}, {1, 1, 1, 1}};
  converter->EncodeRow(0, 0, white);
  EXPECT_EQ(bytes[0], 10);   // pixel 0's green kept
  EXPECT_EQ(bytes[2], 255);  // pixel 1
  EXPECT_EQ(bytes[4], 255);  // pixel 2
  EXPECT_EQ(bytes[6], 40);   // pixel 3 kept
  EXPECT_EQ(bytes[1], 128);  // red shared: (0 + 1) / 2
}

TEST(PackedPairFormats, OddWidthEncodesTheLastPixelAsItsOwnPair) {
  std::vector<BYTE> bytes(4, 0);
  RowConverterPtr converter = MakeRowConverter(RegionOver(bytes.data(), D3DFMT_G8R8_G8B8, 4, 1));
  ASSERT_TRUE(converter);
  const FloatPixel red{1, 0, 0, 1};
  converter->EncodeRow(0, 0, &red);
  EXPECT_EQ(bytes, (std::vector<BYTE>{0, 255, 0, 0}));
}

}  // namespace
