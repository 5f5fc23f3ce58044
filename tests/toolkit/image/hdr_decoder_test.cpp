// DecodeHdr through the recognition loop: flat and run-length scanlines, the resolution
// line's orientations, exposure, and malformed files.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/toolkit/image/decoder_test_support.h"

namespace {

FileBytes MakeHdr(const std::string& headerLines, const std::string& resolution,
                  std::initializer_list<int> data) {
  FileBytes out;
  PutText(out, "#?RADIANCE\n" + headerLines + "\n" + resolution + "\n");
  PutBytes(out, data);
  return out;
}

const std::string rgbe = "FORMAT=32-bit_rle_rgbe\n";

float Expected(int mantissa, int exponent, float exposure = 1.0f) {
  return std::ldexp(static_cast<float>(mantissa) + 0.5f, exponent - 136) / exposure;
}

TEST(HdrDecoder, FlatScanlinesRepeatThePreviousPixelOnMarkers) {
  DecodeFromBlock decoded(MakeHdr("# made by hand\n" + rgbe, "-Y 1 +X 4",
                                  {128, 64, 32, 129, 1, 1, 1, 2, 10, 20, 30, 140}));
  ASSERT_EQ(decoded.Result(), S_OK);
  const DecodedImage& image = decoded.Image();
  EXPECT_EQ(image.fileFormat, D3DXIFF_HDR);
  EXPECT_EQ(image.format, D3DFMT_A32B32G32R32F);
  EXPECT_EQ(image.width, 4u);
  EXPECT_EQ(image.rowPitch, 64u);
  for (UINT x = 0; x < 3; ++x) {
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, x, 0), Expected(128, 129)) << x;
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, x, 2), Expected(32, 129)) << x;
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, x, 3), 1.0f) << x;
  }
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 3, 1), Expected(20, 140));
}

TEST(HdrDecoder, ConsecutiveMarkersShiftTheirCountsUp) {
  // 1 pixel, then 1 + (1 << 8) repeats of it: 258 pixels in all.
  DecodeFromBlock decoded(
      MakeHdr(rgbe, "-Y 1 +X 258", {5, 6, 7, 130, 1, 1, 1, 1, 1, 1, 1, 1}));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 257, 1), Expected(6, 130));
}

TEST(HdrDecoder, RunLengthScanlinesCodeEachComponentApart) {
  DecodeFromBlock decoded(MakeHdr(rgbe, "-Y 1 +X 8",
                                  {2, 2, 0, 8,                          // scanline of 8
                                   0x88, 100,                           // red: 8 x 100
                                   8, 0, 1, 2, 3, 4, 5, 6, 7,           // green: literal
                                   0x84, 9, 0x84, 11,                   // blue: two runs
                                   0x88, 128}));                        // exponent
  ASSERT_EQ(decoded.Result(), S_OK);
  for (UINT x = 0; x < 8; ++x) {
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, x, 0), Expected(100, 128)) << x;
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, x, 1), Expected(static_cast<int>(x), 128)) << x;
    EXPECT_FLOAT_EQ(decoded.PixelFloat(0, x, 2), Expected(x < 4 ? 9 : 11, 128)) << x;
  }

  // The coded length must be the scanline's, and runs must stay inside it.
  EXPECT_EQ(DecodeFromBlock(MakeHdr(rgbe, "-Y 1 +X 8", {2, 2, 0, 9, 0x89, 1, 0x89, 1, 0x89, 1,
                                                        0x89, 1}))
                .Result(),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(MakeHdr(rgbe, "-Y 1 +X 8", {2, 2, 0, 8, 0x89, 1})).Result(),
            D3DXERR_INVALIDDATA);
}

TEST(HdrDecoder, AFlatScanlineMayStartWithRedTwo) {
  DecodeFromBlock decoded(MakeHdr(rgbe, "-Y 1 +X 2", {2, 0, 0, 128, 3, 0, 0, 128}));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 0), Expected(2, 128));
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 1, 0), Expected(3, 128));
}

TEST(HdrDecoder, TheResolutionLineSetsWhereScanlinesGo) {
  const std::initializer_list<int> four = {1, 0, 0, 128, 2, 0, 0, 128, 3, 0, 0, 128,
                                           4, 0, 0, 128};
  auto red = [](const DecodeFromBlock& decoded, UINT y, UINT x) {
    return decoded.PixelFloat(y, x, 0);
  };
  DecodeFromBlock usual(MakeHdr(rgbe, "-Y 2 +X 2", four));
  ASSERT_EQ(usual.Result(), S_OK);
  EXPECT_FLOAT_EQ(red(usual, 0, 1), Expected(2, 128));
  EXPECT_FLOAT_EQ(red(usual, 1, 0), Expected(3, 128));

  DecodeFromBlock bottomUpRightToLeft(MakeHdr(rgbe, "+Y 2 -X 2", four));
  ASSERT_EQ(bottomUpRightToLeft.Result(), S_OK);
  EXPECT_FLOAT_EQ(red(bottomUpRightToLeft, 1, 1), Expected(1, 128));
  EXPECT_FLOAT_EQ(red(bottomUpRightToLeft, 0, 0), Expected(4, 128));

  DecodeFromBlock columns(MakeHdr(rgbe, "+X 2 -Y 2", four));
  ASSERT_EQ(columns.Result(), S_OK);
  EXPECT_FLOAT_EQ(red(columns, 1, 0), Expected(2, 128));
  EXPECT_FLOAT_EQ(red(columns, 0, 1), Expected(3, 128));

  DecodeFromBlock wide(MakeHdr(rgbe, "-Y 1 +X 4", four));
  ASSERT_EQ(wide.Result(), S_OK);
  EXPECT_EQ(wide.Image().width, 4u);
  EXPECT_EQ(wide.Image().height, 1u);

  for (const char* bad : {"-Y 2 -Y 2", "Y 2 +X 2", "-Y 2 +X", "-Y 0 +X 4", "-Y 2 +X 2 1"}) {
    EXPECT_EQ(DecodeFromBlock(MakeHdr(rgbe, bad, four)).Result(), D3DXERR_INVALIDDATA) << bad;
  }
}

TEST(HdrDecoder, ExposuresMultiplyAndDivideEveryComponent) {
  DecodeFromBlock decoded(MakeHdr("EXPOSURE=2\n" + rgbe + "  EXPOSURE= 1.5\nEXPOSURE=0\n",
                                  "-Y 1 +X 1", {50, 60, 70, 131}));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 0), Expected(50, 131, 3.0f));
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 2), Expected(70, 131, 3.0f));
}

TEST(HdrDecoder, HeadersWithoutAKnownFormatAreRefused) {
  EXPECT_EQ(DecodeFromBlock(MakeHdr("", "-Y 1 +X 1", {1, 2, 3, 128})).Result(),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(MakeHdr("FORMAT=32-bit_rle_rgba\n", "-Y 1 +X 1", {1, 2, 3, 128}))
                .Result(),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(MakeHdr("FORMAT=32-bit_rle_xyze\n", "-Y 1 +X 1", {1, 2, 3, 128}))
                .Result(),
            S_OK);
}

TEST(HdrDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  FileBytes flat = MakeHdr(rgbe, "-Y 2 +X 3", {9, 9, 9, 128, 1, 1, 1, 2, 4, 5, 6, 129, 1, 1,
                                               1, 2});
  ASSERT_EQ(DecodeFromBlock(flat).Result(), S_OK);
  DecodeEveryPrefix(flat);
  DecodeEveryByteCorrupted(flat);
  FileBytes coded = MakeHdr(rgbe, "-Y 1 +X 8",
                            {2, 2, 0, 8, 0x88, 1, 0x88, 2, 0x84, 3, 4, 1, 2, 3, 4, 0x88, 128});
  ASSERT_EQ(DecodeFromBlock(coded).Result(), S_OK);
  DecodeEveryPrefix(coded);
  DecodeEveryByteCorrupted(coded);
}

}  // namespace
