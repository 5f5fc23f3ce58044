// Decoding: channel layouts and fills, the colour key and its quantisation, and gamma.
#include <gtest/gtest.h>

#include <cmath>

#include "region_helpers.h"
#include "toolkit/surface/row_converter.h"

namespace {

void ExpectPixel(const FloatPixel& actual, const FloatPixel& expected) {
  EXPECT_FLOAT_EQ(actual.r, expected.r);
  EXPECT_FLOAT_EQ(actual.g, expected.g);
  EXPECT_FLOAT_EQ(actual.b, expected.b);
  EXPECT_FLOAT_EQ(actual.a, expected.a);
}

constexpr float k255 = 1.0f / 255.0f;

TEST(RowDecoding, ArgbBytesAreBlueGreenRedAlphaInMemory) {
  ExpectPixel(DecodeOne(D3DFMT_A8R8G8B8, 0x80FF4020, 4),
              {255 * k255, 0x40 * k255, 0x20 * k255, 0x80 * k255});
  ExpectPixel(DecodeOne(D3DFMT_A8B8G8R8, 0x80FF4020, 4),
              {0x20 * k255, 0x40 * k255, 255 * k255, 0x80 * k255});
}

TEST(RowDecoding, XByteIsIgnoredAndAlphaIsOne) {
  ExpectPixel(DecodeOne(D3DFMT_X8R8G8B8, 0x00FF6A4C, 4),
              {255 * k255, 0x6A * k255, 0x4C * k255, 1.0f});
}

TEST(RowDecoding, MissingChannelsAreFilled) {
  ExpectPixel(DecodeOne(D3DFMT_A8, 0x33, 1), {0, 0, 0, 0x33 * k255});
  ExpectPixel(DecodeOne(D3DFMT_L8, 0x33, 1), {0x33 * k255, 0x33 * k255, 0x33 * k255, 1});
  ExpectPixel(DecodeOne(D3DFMT_G16R16, 0xFFFF0000, 4), {0, 1, 1, 1});
  ExpectPixel(DecodeOne(FMT_A16L16, 0x0000FFFF, 4), {1, 1, 1, 0});
  ExpectPixel(DecodeOne(D3DFMT_R32F, 0x40490FDB, 4), {3.14159274f, 1, 1, 1});
}

TEST(RowDecoding, SixteenBitRgbHoldsBlueFirst) {
  ExpectPixel(DecodeOne(FMT_R16G16B16, 0xFFFF00000000ull, 6), {1, 0, 0, 1});
  ExpectPixel(DecodeOne(FMT_R16G16B16, 0xFFFFull, 6), {0, 0, 1, 1});
}

TEST(RowDecoding, TenBitFormatsAndTheirTwoBitAlpha) {
  const float k1023 = 1.0f / 1023.0f;
  // A2R10G10B10: A=2, R=1023, G=0, B=512.
  ExpectPixel(DecodeOne(D3DFMT_A2R10G10B10, (2u << 30) | (1023u << 20) | 512u, 4),
              {1.0f, 0.0f, 512 * k1023, 2.0f / 3.0f});
  ExpectPixel(DecodeOne(D3DFMT_A2B10G10R10, (3u << 30) | 1023u, 4), {1, 0, 0, 1});
}

TEST(RowDecoding, SignedFieldsMapTheMostNegativeToMinusOne) {
  constexpr float k127 = 1.0f / 127.0f;
  ExpectPixel(DecodeOne(D3DFMT_V8U8, 0x7F80, 2), {-1.0f, 1.0f, 1.0f, 1.0f});
  ExpectPixel(DecodeOne(D3DFMT_V8U8, 0x81FF, 2), {-k127, -127 * k127, 1.0f, 1.0f});
  ExpectPixel(DecodeOne(D3DFMT_Q8W8V8U8, 0x80017F00, 4), {0, 1, 1 * k127, -1});
  // L6V5U5: L in alpha over 63.
  ExpectPixel(DecodeOne(D3DFMT_L6V5U5, (63u << 10) | (15u << 5) | 16u, 2), {-1, 1, 1, 1});
  ExpectPixel(DecodeOne(D3DFMT_X8L8V8U8, 0xAB330000u, 4), {0, 0, 1, 0x33 * k255});
}

TEST(RowDecoding, A2W10V10U10HasThreeSignedFieldsAndUnsignedAlpha) {
  const FloatPixel p =
      DecodeOne(D3DFMT_A2W10V10U10, (1u << 30) | (511u << 20) | (512u << 10) | 1u, 4);
  ExpectPixel(p, {1.0f / 511.0f, -1.0f, 1.0f, 1.0f / 3.0f});
}

TEST(RowDecoding, CxV8U8ComputesTheNormalsLength) {
  ExpectPixel(DecodeOne(D3DFMT_CxV8U8, 0x0000, 2), {0, 0, 1, 1});
  const FloatPixel p = DecodeOne(D3DFMT_CxV8U8, 0x7F7F, 2);  // U = V = 1: nothing is left
  EXPECT_FLOAT_EQ(p.b, 0.0f);
  const FloatPixel q = DecodeOne(D3DFMT_CxV8U8, 0x0040, 2);  // U = 64/127
  EXPECT_NEAR(q.b, std::sqrt(1.0 - (64 / 127.0) * (64 / 127.0)), 1e-6);
}

TEST(RowDecoding, PalettisedPixelsReadTheirEntry) {
  PALETTEENTRY palette[256] = {};
  palette[5] = {255, 0, 51, 102};
  ExpectPixel(DecodeOne(D3DFMT_P8, 5, 1, 0, palette), {1, 0, 51 * k255, 102 * k255});
  ExpectPixel(DecodeOne(D3DFMT_A8P8, 0xFF05, 2, 0, palette), {1, 0, 51 * k255, 1});
  ExpectPixel(DecodeOne(D3DFMT_P8, 5, 1), {1, 1, 1, 1});  // no palette: white
}

constexpr D3DCOLOR key = 0xFF6A4C30;

TEST(ColorKey, MatchingArgbPixelBecomesTransparentBlack) {
  ExpectPixel(DecodeOne(D3DFMT_A8R8G8B8, 0xFF6A4C30, 4, key), {0, 0, 0, 0});
  const FloatPixel almost = DecodeOne(D3DFMT_A8R8G8B8, 0xFE6A4C30, 4, key);
  EXPECT_FLOAT_EQ(almost.a, 0xFE * k255);
  EXPECT_FLOAT_EQ(almost.r, 0x6A * k255);
}

TEST(ColorKey, XrgbPixelsMatchWhateverTheirXByte) {
  ExpectPixel(DecodeOne(D3DFMT_X8R8G8B8, 0x006A4C30, 4, key), {0, 0, 0, 0});
  ExpectPixel(DecodeOne(D3DFMT_X8R8G8B8, 0x7F6A4C30, 4, key), {0, 0, 0, 0});
  EXPECT_FLOAT_EQ(DecodeOne(D3DFMT_X8R8G8B8, 0x006A4C31, 4, key).a, 1.0f);
}

TEST(ColorKey, ZeroKeyDisablesKeying) {
  ExpectPixel(DecodeOne(D3DFMT_A8R8G8B8, 0xFF000000, 4, 0xFF000000), {0, 0, 0, 0});
  ExpectPixel(DecodeOne(D3DFMT_A8R8G8B8, 0xFF000000, 4, 0), {0, 0, 0, 1});
}

TEST(ColorKey, KeyIsQuantisedToTheFormat) {
  WORD pixel = 0;
  PixelRegion region = RegionOver(&pixel, D3DFMT_R5G6B5, 2, 1);
  region.colorKey = key;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  ExpectPixel(converter->KeyColor(), {13 / 31.0f, 19 / 63.0f, 6 / 31.0f, 1});
  // Every 5:6:5 pixel that the key's colour would be stored as is keyed.
  pixel = (13 << 11) | (19 << 5) | 6;
  FloatPixel out;
  converter->DecodeRow(0, 0, &out);
  ExpectPixel(out, {0, 0, 0, 0});
}

TEST(ColorKey, SignedFormatsQuantiseTheKeyAsSignedValues) {
  WORD pixel = 0;
  PixelRegion region = RegionOver(&pixel, D3DFMT_V8U8, 2, 1);
  region.colorKey = 0xFFFF0080;  // r = 1 -> U = 1, g = 0 -> V = -1
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  const FloatPixel k = converter->KeyColor();
  EXPECT_FLOAT_EQ(k.r, 1.0f);
  EXPECT_FLOAT_EQ(k.g, -126.0f / 127.0f);
  EXPECT_FLOAT_EQ(k.b, 1.0f);
}

TEST(ColorKey, KeyIsComparedBeforeGammaExpansion) {
  DWORD pixel = 0xFF6A4C30;
  PixelRegion region = RegionOver(&pixel, D3DFMT_A8R8G8B8, 4, 1);
  region.colorKey = key;
  region.srgb = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  FloatPixel out;
  converter->DecodeRow(0, 0, &out);
  ExpectPixel(out, {0, 0, 0, 0});
}

TEST(GammaDecoding, ExpandsColourOfUnsignedAndAlphaOfSignedFormats) {
  DWORD pixel = 0x80808080;
  PixelRegion region = RegionOver(&pixel, D3DFMT_A8R8G8B8, 4, 1);
  region.srgb = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  FloatPixel out;
  converter->DecodeRow(0, 0, &out);
  EXPECT_NEAR(out.r, std::pow(128 / 255.0, 2.2), 2e-4);
  EXPECT_FLOAT_EQ(out.a, 128 * k255);

  WORD signedPixel = (32u << 10) | 0x0C;  // L6V5U5: U = 12/15, L = 32/63
  region = RegionOver(&signedPixel, D3DFMT_L6V5U5, 2, 1);
  region.srgb = TRUE;
  converter = MakeRowConverter(region);
  converter->DecodeRow(0, 0, &out);
  EXPECT_FLOAT_EQ(out.r, 12 / 15.0f);
  EXPECT_NEAR(out.a, std::pow(32 / 63.0, 2.2), 2e-4);

  // Other signed formats ignore the flag.
  signedPixel = 0x0040;
  region = RegionOver(&signedPixel, D3DFMT_V8U8, 2, 1);
  region.srgb = TRUE;
  converter = MakeRowConverter(region);
  EXPECT_FALSE(converter->Srgb());
}

TEST(GammaDecoding, BothSidesSquareInsteadOfThePowerCurve) {
  DWORD pixel = 0xFF808080;
  PixelRegion region = RegionOver(&pixel, D3DFMT_A8R8G8B8, 4, 1);
  region.srgb = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  converter->SetBothSrgb(true);
  FloatPixel out;
  converter->DecodeRow(0, 0, &out);
  EXPECT_FLOAT_EQ(out.g, (128 * k255) * (128 * k255));
}

TEST(MakeRowConverter, RefusesFormatsWithoutAConverter) {
  BYTE pixel[4] = {};
  EXPECT_FALSE(MakeRowConverter(RegionOver(pixel, D3DFMT_D24S8, 4, 1)));
  EXPECT_FALSE(MakeRowConverter(RegionOver(pixel, D3DFMT_D16, 4, 1)));
  EXPECT_FALSE(MakeRowConverter(RegionOver(pixel, D3DFMT_UNKNOWN, 4, 1)));
  EXPECT_TRUE(MakeRowConverter(RegionOver(pixel, D3DFMT_D16_LOCKABLE, 4, 1)));
  EXPECT_TRUE(MakeRowConverter(RegionOver(pixel, D3DFMT_D32F_LOCKABLE, 4, 1)));
}

}  // namespace
