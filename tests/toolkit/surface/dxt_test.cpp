// The block formats: decoding of hand-made blocks, the end-point fit against a brute-force
// search, and whole rows through the converter (strips, partial boxes, rows out of order).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "region_helpers.h"
#include "toolkit/surface/dxt_block.h"
#include "toolkit/surface/row_converter.h"

namespace {

void ExpectPixel(const FloatPixel& actual, const FloatPixel& expected, const char* what) {
  EXPECT_FLOAT_EQ(actual.r, expected.r) << what;
  EXPECT_FLOAT_EQ(actual.g, expected.g) << what;
  EXPECT_FLOAT_EQ(actual.b, expected.b) << what;
  EXPECT_FLOAT_EQ(actual.a, expected.a) << what;
}

// Pixel i uses index i % 4.
constexpr BYTE rampIndices[4] = {0xE4, 0xE4, 0xE4, 0xE4};

TEST(DxtBlockDecoding, FourColourBlockInterpolatesThirds) {
  // c0 = pure red 0xF800 > c1 = pure blue 0x001F.
  const BYTE block[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
  FloatPixel pixels[16];
  DecodeColourBlock(block, ColourBlockMode::Dxt1, pixels);
  ExpectPixel(pixels[0], {1, 0, 0, 1}, "index 0");
  ExpectPixel(pixels[1], {0, 0, 1, 1}, "index 1");
  ExpectPixel(pixels[2], {2.0f / 3.0f, 0, 1.0f / 3.0f, 1}, "index 2");
  ExpectPixel(pixels[3], {1.0f / 3.0f, 0, 2.0f / 3.0f, 1}, "index 3");
  ExpectPixel(pixels[15], pixels[3], "pixel 15");
}

TEST(DxtBlockDecoding, Dxt1ThreeColourBlockHasHalfAndTransparentBlack) {
  const BYTE block[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xE4, 0xE4, 0xE4};
  FloatPixel pixels[16];
  DecodeColourBlock(block, ColourBlockMode::Dxt1, pixels);
  ExpectPixel(pixels[2], {0.5f, 0, 0.5f, 1}, "index 2");
  ExpectPixel(pixels[3], {0, 0, 0, 0}, "index 3");
  // The same order in a DXT3 colour block still means four colours.
  DecodeColourBlock(block, ColourBlockMode::FourColours, pixels);
  ExpectPixel(pixels[3], {2.0f / 3.0f, 0, 1.0f / 3.0f, 1}, "index 3 of four");
}

TEST(DxtBlockDecoding, ExplicitAlphaHasFourBitsPerPixel) {
  const BYTE alpha[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
  FloatPixel pixels[16] = {};
  DecodeExplicitAlpha(alpha, pixels);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(pixels[i].a, i / 15.0f) << "pixel " << i;
}

TEST(DxtBlockDecoding, InterpolatedAlphaHasEightOrSixStepsWithExtremes) {
  // Pixel i uses index i % 8: 3-bit indices 0..7 twice.
  const BYTE indices[6] = {0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
  BYTE block[8] = {255, 0};
  std::memcpy(block + 2, indices, 6);
  FloatPixel pixels[16] = {};
  DecodeInterpolatedAlpha(block, pixels);
  EXPECT_FLOAT_EQ(pixels[0].a, 1.0f);
  EXPECT_FLOAT_EQ(pixels[1].a, 0.0f);
  EXPECT_FLOAT_EQ(pixels[2].a, (6 * 255 / 7.0f) / 255.0f);
  EXPECT_FLOAT_EQ(pixels[7].a, (255 / 7.0f) / 255.0f);

  block[0] = 50;
  block[1] = 100;
  DecodeInterpolatedAlpha(block, pixels);
  EXPECT_FLOAT_EQ(pixels[2].a, (4 * 50 + 100) / 5.0f / 255.0f);
  EXPECT_FLOAT_EQ(pixels[6].a, 0.0f);
  EXPECT_FLOAT_EQ(pixels[7].a, 1.0f);
}

// One DXT block of `format` through the converter.
std::vector<FloatPixel> DecodeBlockRows(D3DFORMAT format, const BYTE* block, UINT bytes) {
  std::vector<BYTE> memory(block, block + bytes);
  RowConverterPtr converter = MakeRowConverter(RegionOver(memory.data(), format, bytes, 4, 4));
  std::vector<FloatPixel> pixels(16);
  if (!converter) return {};
  for (UINT y = 0; y < 4; ++y) converter->DecodeRow(y, 0, &pixels[4 * y]);
  return pixels;
}

TEST(DxtFormats, Dxt2ColoursArePremultipliedByAlpha) {
  // Alpha 0x8 of 15 everywhere; colour 0x8410 is (16/31, 32/63, 16/31).
  const BYTE block[16] = {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88,
                          0x10, 0x84, 0x10, 0x84, 0,    0,    0,    0};
  const std::vector<FloatPixel> dxt2 = DecodeBlockRows(D3DFMT_DXT2, block, 16);
  const std::vector<FloatPixel> dxt3 = DecodeBlockRows(D3DFMT_DXT3, block, 16);
  ASSERT_EQ(dxt2.size(), 16u);
  const float alpha = 8 / 15.0f;
  EXPECT_FLOAT_EQ(dxt3[0].r, 16 / 31.0f);
  EXPECT_NEAR(dxt2[0].r, (16 / 31.0f) / alpha, 1e-6);
  EXPECT_FLOAT_EQ(dxt2[5].a, alpha);
}

// --- The colour fit against a brute-force search -------------------------------------------

// A 64 x 64 picture with smooth shading, texture noise, a hard edge and a few saturated spots.
std::vector<FloatPixel> PhotoLikeImage() {
  std::vector<FloatPixel> image(64 * 64);
  unsigned seed = 12345;
  auto noise = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f - 0.5f;
  };
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      float r = 0.5f + 0.35f * std::sin(x / 9.0f + y / 17.0f);
      float g = 0.45f + 0.3f * std::cos(y / 7.0f) * std::sin(x / 13.0f);
      float b = 0.3f + 0.25f * std::sin((x + y) / 11.0f);
      if (x > y + 10) std::swap(r, b);  // an edge between two regions
      if ((x / 8 + y / 8) % 5 == 0) g = std::min(1.0f, g + 0.4f);
      const float n = 0.08f * noise();
      image[y * 64 + x] = {std::clamp(r + n, 0.0f, 1.0f), std::clamp(g + n, 0.0f, 1.0f),
                           std::clamp(b - n, 0.0f, 1.0f), 1.0f};
    }
  }
  return image;
}

struct Colour565 {
  int r, g, b;
};

Colour565 Quantise565(const FloatPixel& p) {
  return {static_cast<int>(p.r * 31 + 0.5f), static_cast<int>(p.g * 63 + 0.5f),
          static_cast<int>(p.b * 31 + 0.5f)};
}

int Word565(Colour565 c) { return (c.r << 11) | (c.g << 5) | c.b; }

// The error of the best four-colour block with end points a and b.
double BestErrorWithEndPoints(const FloatPixel* block, Colour565 a, Colour565 b) {
  const double ar = a.r / 31.0, ag = a.g / 63.0, ab = a.b / 31.0;
  const double br = b.r / 31.0, bg = b.g / 63.0, bb = b.b / 31.0;
  const double palette[4][3] = {{ar, ag, ab},
                                {br, bg, bb},
                                {(2 * ar + br) / 3, (2 * ag + bg) / 3, (2 * ab + bb) / 3},
                                {(ar + 2 * br) / 3, (ag + 2 * bg) / 3, (ab + 2 * bb) / 3}};
  const int entries = Word565(a) == Word565(b) ? 1 : 4;
  double error = 0;
  for (int i = 0; i < 16; ++i) {
    double best = 1e9;
    for (int k = 0; k < entries; ++k) {
      const double dr = block[i].r - palette[k][0], dg = block[i].g - palette[k][1],
                   db = block[i].b - palette[k][2];
      best = std::min(best, dr * dr + dg * dg + db * db);
    }
    error += best;
  }
  return error;
}

double BruteForceBlockError(const FloatPixel* block) {
  double best = 1e9;
  for (int i = 0; i < 16; ++i) {
    for (int j = i; j < 16; ++j) {
      best = std::min(best,
                      BestErrorWithEndPoints(block, Quantise565(block[i]), Quantise565(block[j])));
    }
  }
  return best;
}

double Psnr(double squaredError, int samples) {
  return 10.0 * std::log10(1.0 / (squaredError / samples));
}

void GatherBlock(const std::vector<FloatPixel>& image, int bx, int by, FloatPixel* block) {
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) block[4 * y + x] = image[(4 * by + y) * 64 + 4 * bx + x];
  }
}

TEST(DxtColourFit, Dxt1IsWithinHalfADecibelOfTheBestPairOfBlockColours) {
  const std::vector<FloatPixel> image = PhotoLikeImage();
  double encoderError = 0, bruteError = 0;
  for (int by = 0; by < 16; ++by) {
    for (int bx = 0; bx < 16; ++bx) {
      FloatPixel block[16];
      GatherBlock(image, bx, by, block);
      BYTE encoded[8];
      EncodeColourBlock(block, ColourBlockMode::Dxt1, encoded);
      encoderError += ColourBlockError(encoded, ColourBlockMode::Dxt1, block);
      bruteError += BruteForceBlockError(block);
    }
  }
  const int samples = 64 * 64 * 3;
  const double encoderPsnr = Psnr(encoderError, samples);
  const double brutePsnr = Psnr(bruteError, samples);
  EXPECT_GT(encoderPsnr, brutePsnr - 0.5)
      << "encoder " << encoderPsnr << " dB, search " << brutePsnr << " dB";
  EXPECT_GT(encoderPsnr, 30.0);
}

TEST(DxtColourFit, UniformBlockKeepsItsQuantisedColourExactly) {
  FloatPixel block[16];
  std::fill(block, block + 16, FloatPixel{13 / 31.0f, 40 / 63.0f, 2 / 31.0f, 1.0f});
  BYTE encoded[8];
  EncodeColourBlock(block, ColourBlockMode::Dxt1, encoded);
  EXPECT_EQ(ColourBlockError(encoded, ColourBlockMode::Dxt1, block), 0.0f);
}

TEST(DxtColourFit, TransparentPixelsMakeAThreeColourBlock) {
  FloatPixel block[16];
  for (int i = 0; i < 16; ++i) {
    block[i] = i % 3 == 0 ? FloatPixel{0, 0, 0, 0} : FloatPixel{1, i / 16.0f, 0, 1};
  }
  BYTE encoded[8];
  EncodeColourBlock(block, ColourBlockMode::Dxt1, encoded);
  FloatPixel decoded[16];
  DecodeColourBlock(encoded, ColourBlockMode::Dxt1, decoded);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(decoded[i].a, i % 3 == 0 ? 0.0f : 1.0f) << "pixel " << i;
  }
}

TEST(DxtColourFit, InterpolatedAlphaUsesTheExactExtremesWhenThatIsBetter) {
  FloatPixel block[16] = {};
  for (int i = 0; i < 16; ++i) block[i].a = i < 4 ? 0.0f : (i < 8 ? 1.0f : 0.5f);
  BYTE encoded[8];
  EncodeInterpolatedAlpha(block, encoded);
  FloatPixel decoded[16] = {};
  DecodeInterpolatedAlpha(encoded, decoded);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(decoded[i].a, block[i].a, 0.51 / 255) << i;
}

// --- Rows through the converter -------------------------------------------------------------

TEST(DxtConverter, RowsOfAnImageSurviveEncodeAndDecode) {
  constexpr UINT width = 8, height = 8;
  std::vector<BYTE> memory(2 * 2 * 16);
  RowConverterPtr encoder =
      MakeRowConverter(RegionOver(memory.data(), D3DFMT_DXT5, 2 * 16, width, height));
  ASSERT_TRUE(encoder);
  std::vector<FloatPixel> row(width);
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) row[x] = {x < 4 ? 1.0f : 0.0f, 0, 1, y / 7.0f};
    encoder->EncodeRow(y, 0, row.data());
  }
  encoder->Flush();
  RowConverterPtr decoder =
      MakeRowConverter(RegionOver(memory.data(), D3DFMT_DXT5, 2 * 16, width, height));
  for (UINT y = 0; y < height; ++y) {
    decoder->DecodeRow(y, 0, row.data());
    for (UINT x = 0; x < width; ++x) {
      EXPECT_EQ(row[x].r, x < 4 ? 1.0f : 0.0f) << x << ", " << y;
      // Within half an alpha step: the block spans 3/7 in 7 steps.
      EXPECT_NEAR(row[x].a, y / 7.0f, 3 / 7.0 / 14 + 0.001) << x << ", " << y;
    }
  }
}

TEST(DxtConverter, PartialBoxKeepsTheRestOfItsBlocks) {
  // One 4 x 4 DXT1 block of pure blue; write a red 2 x 2 box at (1, 1).
  std::vector<BYTE> memory = {0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0};
  PixelRegion region = RegionOver(memory.data(), D3DFMT_DXT1, 8, 4, 4);
  region.box = {1, 1, 3, 3, 0, 1};
  RowConverterPtr encoder = MakeRowConverter(region);
  ASSERT_TRUE(encoder);
  const FloatPixel red[2] = {{1, 0, 0, 1}, {1, 0, 0, 1}};
  encoder->EncodeRow(0, 0, red);
  encoder->EncodeRow(1, 0, red);
  const std::vector<FloatPixel> pixels = DecodeBlockRows(D3DFMT_DXT1, memory.data(), 8);
  ASSERT_EQ(pixels.size(), 16u);
  for (int i = 0; i < 16; ++i) {
    const bool inside = (i % 4 == 1 || i % 4 == 2) && (i / 4 == 1 || i / 4 == 2);
    ExpectPixel(pixels[i], inside ? FloatPixel{1, 0, 0, 1} : FloatPixel{0, 0, 1, 1},
                inside ? "inside" : "outside");
  }
}

TEST(DxtConverter, RowsWrittenOutOfOrderAreStoredAtFlush) {
  std::vector<BYTE> memory(8, 0);
  RowConverterPtr encoder = MakeRowConverter(RegionOver(memory.data(), D3DFMT_DXT1, 8, 4, 4));
  ASSERT_TRUE(encoder);
  const FloatPixel green[4] = {{0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}};
  for (UINT y : {1u, 2u, 3u, 0u}) encoder->EncodeRow(y, 0, green);
  const std::vector<FloatPixel> pixels = DecodeBlockRows(D3DFMT_DXT1, memory.data(), 8);
  ExpectPixel(pixels[0], {0, 1, 0, 1}, "first pixel");
  ExpectPixel(pixels[15], {0, 1, 0, 1}, "last pixel");
}

TEST(DxtConverter, ColourKeyIsQuantisedThroughABlock) {
  std::vector<BYTE> memory(8, 0);
  PixelRegion region = RegionOver(memory.data(), D3DFMT_DXT1, 8, 4, 4);
  region.colorKey = 0xFF6A4C30;
  RowConverterPtr converter = MakeRowConverter(region);
  ASSERT_TRUE(converter);
  ExpectPixel(converter->KeyColor(), {13 / 31.0f, 19 / 63.0f, 6 / 31.0f, 1}, "key");
}

}  // namespace
