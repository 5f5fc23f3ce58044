// Quantisation on encode: rounding, clamping, ordered dithering, error diffusion, luminance,
// signed fields, palettes, class conversion, gamma and the floating-point mode.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

#include "region_helpers.h"
#include "toolkit/surface/row_converter.h"

namespace {

TEST(RowEncoding, Argb8RoundsHalfUpAndClamps) {
  EXPECT_EQ(EncodeOne(D3DFMT_A8R8G8B8, {1.0f, 0.5f, 0.0f, 1.0f}, 4), 0xFFFF8000u);
  EXPECT_EQ(EncodeOne(D3DFMT_A8R8G8B8, {0.0f, 0.0f, 0.0f, 0.0f}, 4), 0x00000000u);
  EXPECT_EQ(EncodeOne(D3DFMT_A8R8G8B8, {7.0f, -3.0f, 1.0f, 1e30f}, 4), 0xFFFF00FFu);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(EncodeOne(D3DFMT_A8R8G8B8, {nan, nan, 1.0f, 1.0f}, 4), 0xFF0000FFu);
}

// The float at or just above 254.5 / 255.
float SmallestFloatForFull() {
  const double exact = 254.5 / 255.0;
  float x = static_cast<float>(exact);
  if (x < exact) x = std::nextafter(x, 2.0f);
  return x;
}

TEST(RowEncoding, EightBitThresholdIsHalfAStep) {
  EXPECT_EQ(EncodeOne(D3DFMT_A8, {0, 0, 0, 0.998f}, 1), 254u);
  const float full = SmallestFloatForFull();
  EXPECT_EQ(EncodeOne(D3DFMT_A8, {0, 0, 0, full}, 1), 255u);
  EXPECT_EQ(EncodeOne(D3DFMT_A8, {0, 0, 0, std::nextafter(full, 0.0f)}, 1), 254u);
}

TEST(RowEncoding, XBitsAreWrittenAsZero) {
  EXPECT_EQ(EncodeOne(D3DFMT_X8R8G8B8, {1.0f, 1.0f, 1.0f, 1.0f}, 4), 0x00FFFFFFu);
  EXPECT_EQ(EncodeOne(D3DFMT_X1R5G5B5, {1.0f, 0.0f, 1.0f, 1.0f}, 2), 0x7C1Fu);
}

TEST(RowEncoding, LuminanceWeighsTheChannels) {
  EXPECT_EQ(EncodeOne(D3DFMT_L8, {1.0f, 0.0f, 0.0f, 1.0f}, 1), 54u);
  EXPECT_EQ(EncodeOne(D3DFMT_L8, {0.0f, 1.0f, 0.0f, 1.0f}, 1), 182u);
  EXPECT_EQ(EncodeOne(D3DFMT_A8L8, {0.0f, 0.0f, 1.0f, 0.5f}, 2), 0x8012u);
}

TEST(RowEncoding, SignedFieldsTruncateTowardZeroAndClamp) {
  EXPECT_EQ(EncodeOne(D3DFMT_V8U8, {-0.3f, 0.0f, 0.0f, 0.0f}, 2) & 0xFF, static_cast<BYTE>(-37));
  EXPECT_EQ(EncodeOne(D3DFMT_V8U8, {-1.5f, 1.5f, 0.0f, 0.0f}, 2), 0x7F81u);
  EXPECT_EQ(EncodeOne(D3DFMT_V8U8, {0.3f, 0.0f, 0.0f, 0.0f}, 2) & 0xFF, 38u);
}

TEST(RowEncoding, OrderedDitherOfAFlatHalfFollowsTheSerpentinePattern) {
  constexpr UINT width = 5, height = 2;
  BYTE pixels[height][width] = {};
  PixelRegion region = RegionOver(pixels, D3DFMT_A8, width, width, height);
  region.dither = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  std::vector<FloatPixel> row(width, FloatPixel{0, 0, 0, 0.5f});
  converter->EncodeRow(0, 0, row.data());
  converter->EncodeRow(1, 0, row.data());
  // Row 0 reads 31/32, 15/32, 27/32, 11/32 left to right; row 1 reads its thresholds from
  // the right end.
  const BYTE expected[height][width] = {{128, 127, 128, 127, 128}, {127, 128, 127, 128, 127}};
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      EXPECT_EQ(pixels[y][x], expected[y][x]) << "at " << x << ", " << y;
    }
  }
}

TEST(RowEncoding, DitherPatternShiftsWithTheSlice) {
  BYTE pixels[4] = {};
  PixelRegion region = RegionOver(pixels, D3DFMT_A8, 4, 4, 1, 2, 4);
  region.dither = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  std::vector<FloatPixel> row(4, FloatPixel{0, 0, 0, 0.5f});
  converter->EncodeRow(0, 0, row.data());
  EXPECT_EQ(pixels[0], 128);
  EXPECT_EQ(pixels[1], 127);
  BYTE slices[2][4] = {};
  region = RegionOver(slices, D3DFMT_A8, 4, 4, 1, 2, 4);
  region.dither = TRUE;
  converter = MakeRowConverter(region);
  converter->EncodeRow(0, 1, row.data());
  // Slice 1 starts one entry further along: 15/32, 27/32, 11/32, 31/32.
  EXPECT_EQ(slices[1][0], 127);
  EXPECT_EQ(slices[1][1], 128);
  EXPECT_EQ(slices[1][3], 128);
}

int CountSetAlphaBits(const std::vector<WORD>& pixels) {
  int count = 0;
  for (WORD p : pixels) count += p >> 15;
  return count;
}

TEST(RowEncoding, DiffusionSpreadsTheErrorOverTheRowAndBelow) {
  constexpr UINT width = 64, height = 4;
  std::vector<WORD> pixels(width * height, 0);
  PixelRegion region = RegionOver(pixels.data(), D3DFMT_A1R5G5B5, width * 2, width, height);
  region.diffusion = TRUE;
  RowConverterPtr diffusing = MakeRowConverter(region);
  ASSERT_TRUE(diffusing);
  std::vector<FloatPixel> row(width, FloatPixel{0.0f, 0.0f, 0.0f, 0.3f});
  for (UINT y = 0; y < height; ++y) diffusing->EncodeRow(y, 0, row.data());
  // 30% of 256 pixels: the error that plain rounding drops is carried instead.
  EXPECT_NEAR(CountSetAlphaBits(pixels), 77, 2);

  std::fill(pixels.begin(), pixels.end(), 0);
  region.diffusion = FALSE;
  RowConverterPtr rounding = MakeRowConverter(region);
  for (UINT y = 0; y < height; ++y) rounding->EncodeRow(y, 0, row.data());
  EXPECT_EQ(CountSetAlphaBits(pixels), 0);
}

TEST(RowEncoding, DiffusionOfLuminanceKeepsTheMeanBrightness) {
  constexpr UINT width = 32, height = 8;
  std::vector<BYTE> pixels(width * height, 0);
  PixelRegion region = RegionOver(pixels.data(), D3DFMT_A4L4, width, width, height);
  region.diffusion = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  // L = 0.3 lies between the 4-bit levels 4/15 and 5/15.
  std::vector<FloatPixel> row(width, FloatPixel{0.3f, 0.3f, 0.3f, 1.0f});
  for (UINT y = 0; y < height; ++y) converter->EncodeRow(y, 0, row.data());
  double sum = 0;
  for (BYTE p : pixels) sum += (p & 15) / 15.0;
  EXPECT_NEAR(sum / pixels.size(), 0.3, 0.005);
}

TEST(RowEncoding, EncodingLeavesTheCallersRoundingModeAndInputAlone) {
  BYTE pixel[4] = {};
  PixelRegion region = RegionOver(pixel, D3DFMT_A8R8G8B8, 4, 1);
  region.diffusion = TRUE;
  region.srgb = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  std::fesetround(FE_UPWARD);
  FloatPixel in{0.25f, 0.5f, 0.75f, 1.0f};
  converter->EncodeRow(0, 0, &in);
  EXPECT_EQ(std::fegetround(), FE_UPWARD);
  std::fesetround(FE_TONEAREST);
  EXPECT_EQ(in, (FloatPixel{0.25f, 0.5f, 0.75f, 1.0f}));
}

TEST(RowEncoding, ProductsRoundTowardZeroWhileARowIsEncoded) {
  // Just below 254.5 / 255 the product x 255 rounds up to 254.5 to nearest, but not when
  // truncating: the encoder must give 254.
  const float x = std::nextafter(SmallestFloatForFull(), 0.0f);
  volatile float factor = 255.0f;
  ASSERT_EQ(static_cast<int>(x * factor + 0.5f), 255) << "not a boundary case to nearest";
  EXPECT_EQ(EncodeOne(D3DFMT_A8, {0, 0, 0, x}, 1), 254u);
}

PALETTEENTRY Entry(BYTE r, BYTE g, BYTE b, BYTE a) { return {r, g, b, a}; }

TEST(RowEncoding, P8PicksTheNearestEntryAndTheFirstOfEquals) {
  PALETTEENTRY palette[256];
  for (auto& e : palette) e = Entry(255, 255, 255, 255);
  palette[3] = Entry(200, 0, 0, 255);
  palette[7] = Entry(0, 0, 200, 255);
  palette[9] = Entry(0, 0, 200, 255);  // the same colour as 7: 7 wins
  palette[12] = Entry(0, 0, 200, 0);   // nearer in colour but not in alpha
  EXPECT_EQ(EncodeOne(D3DFMT_P8, {0.7f, 0.1f, 0.0f, 1.0f}, 1, palette), 3u);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, {0.0f, 0.0f, 0.8f, 1.0f}, 1, palette), 7u);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, {0.0f, 0.0f, 0.8f, 0.1f}, 1, palette), 12u);
  // A8P8 ignores alpha in the search and stores it itself.
  EXPECT_EQ(EncodeOne(D3DFMT_A8P8, {0.0f, 0.0f, 0.8f, 0.5f}, 2, palette), 0x8007u);
}

TEST(RowEncoding, P8WithoutPaletteMapsEverythingToIndexZero) {
  EXPECT_EQ(EncodeOne(D3DFMT_P8, {0.0f, 0.0f, 0.0f, 1.0f}, 1), 0u);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, {0.2f, 0.9f, 0.4f, 0.0f}, 1), 0u);
}

TEST(RowEncoding, ClassConversionMapsSignedAndFloatValuesIntoUnsigned) {
  BYTE pixel[4] = {};
  RowConverterPtr converter = MakeRowConverter(RegionOver(pixel, D3DFMT_A8R8G8B8, 4, 1));
  ASSERT_TRUE(converter);
  ASSERT_EQ(converter->SetConversionFrom(NumericClass::SnormRGB), S_OK);
  const FloatPixel signedPixel{-1.0f, 1.0f, 0.0f, 0.5f};
  converter->EncodeRow(0, 0, &signedPixel);
  EXPECT_EQ(pixel[2], 0);    // r: (-1 + 1) / 2
  EXPECT_EQ(pixel[1], 255);  // g
  EXPECT_EQ(pixel[0], 128);  // b: 0 -> 0.5
  EXPECT_EQ(pixel[3], 128);  // a copied

  ASSERT_EQ(converter->SetConversionFrom(NumericClass::SnormAll), S_OK);
  converter->EncodeRow(0, 0, &signedPixel);
  EXPECT_EQ(pixel[3], 191);  // a: (0.5 + 1) / 2
}

TEST(RowEncoding, ClassConversionIntoSignedFormats) {
  WORD pixel = 0;
  RowConverterPtr converter = MakeRowConverter(RegionOver(&pixel, D3DFMT_V8U8, 2, 1));
  ASSERT_TRUE(converter);
  ASSERT_EQ(converter->SetConversionFrom(NumericClass::Unorm), S_OK);
  const FloatPixel unsignedPixel{1.0f, 0.5f, 0.0f, 1.0f};
  converter->EncodeRow(0, 0, &unsignedPixel);
  EXPECT_EQ(pixel, 0x007F);  // U = 2 x 1 - 1, V = 2 x 0.5 - 1

  ASSERT_EQ(converter->SetConversionFrom(NumericClass::Float), S_OK);
  // Clamped to -1 and 1 first; -1 x 127 + 0.5 truncates to -126.
  const FloatPixel floatPixel{-4.0f, 4.0f, 0.0f, 0.0f};
  converter->EncodeRow(0, 0, &floatPixel);
  EXPECT_EQ(pixel, 0x7F82);
}

TEST(RowEncoding, GammaCompressionIsAPowerCurve) {
  BYTE pixel[4] = {};
  PixelRegion region = RegionOver(pixel, D3DFMT_A8R8G8B8, 4, 1);
  region.srgb = TRUE;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  const FloatPixel in{0.25f, 0.0f, 1.0f, 0.25f};
  converter->EncodeRow(0, 0, &in);
  EXPECT_NEAR(pixel[2], std::pow(0.25, 1 / 2.2) * 255, 1.0);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[3], 64);  // alpha is linear

  converter->SetBothSrgb(true);
  converter->EncodeRow(0, 0, &in);
  EXPECT_EQ(pixel[2], 128);  // sqrt(0.25)
}

TEST(RowEncoding, HalfFloatsStoreValuesUnquantised) {
  WORD halves[4] = {};
  RowConverterPtr converter = MakeRowConverter(RegionOver(halves, D3DFMT_A16B16G16R16F, 8, 1));
  ASSERT_TRUE(converter);
  const FloatPixel in{1.0f, -2.0f, 0.5f, 65504.0f};
  converter->EncodeRow(0, 0, &in);
  EXPECT_EQ(halves[0], 0x3C00);
  EXPECT_EQ(halves[1], 0xC000);
  EXPECT_EQ(halves[2], 0x3800);
  EXPECT_EQ(halves[3], 0x7BFF);

  float two[2] = {};
  converter = MakeRowConverter(RegionOver(two, D3DFMT_G32R32F, 8, 1));
  converter->EncodeRow(0, 0, &in);
  EXPECT_EQ(two[0], 1.0f);
  EXPECT_EQ(two[1], -2.0f);
}

}  // namespace
