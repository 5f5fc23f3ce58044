// DecodePpm through the recognition loop: pixmaps, grey maps and bitmaps, text and binary
// samples, scaling, comments, and files that are not whole.

#include <gtest/gtest.h>

#include "tests/toolkit/image/decoder_test_support.h"

namespace {

FileBytes Text(const std::string& text) {
  FileBytes out;
  PutText(out, text);
  return out;
}

// Blue, green, red and the top byte of pixel x of row y.
std::vector<int> Pixel(const DecodeFromBlock& decoded, UINT y, UINT x) {
  return {decoded.PixelByte(y, 4 * x), decoded.PixelByte(y, 4 * x + 1),
          decoded.PixelByte(y, 4 * x + 2), decoded.PixelByte(y, 4 * x + 3)};
}

TEST(PpmDecoder, TextSamplesAreScaledFromTheirMaximum) {
  DecodeFromBlock decoded(Text("P3\n# a comment\n2 1 # two pixels\n15\n15 0 7\n1 2 3"));
  ASSERT_EQ(decoded.Result(), S_OK);
  const DecodedImage& image = decoded.Image();
  EXPECT_EQ(image.fileFormat, D3DXIFF_PPM);
  EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(image.rowPitch, 8u);
  EXPECT_TRUE(image.ownsPixels);
  EXPECT_EQ(Pixel(decoded, 0, 0), (std::vector<int>{7 * 255 / 15, 0, 255, 0xFF}));
  EXPECT_EQ(Pixel(decoded, 0, 1), (std::vector<int>{3 * 255 / 15, 2 * 255 / 15, 17, 0xFF}));
}

TEST(PpmDecoder, TextSamplesAboveTheMaximumAreFullBrightness) {
  DecodeFromBlock decoded(Text("P3 1 1 100 200 100 99999999999999 "));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(Pixel(decoded, 0, 0), (std::vector<int>{255, 255, 255, 0xFF}));
}

TEST(PpmDecoder, BinarySamplesFollowOneSeparatorAfterTheMaximum) {
  FileBytes bytes = Text("P6\n2 1\n255\r\n");
  PutBytes(bytes, {10, 20, 30, 40, 50, 60});
  DecodeFromBlock decoded(bytes);
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(Pixel(decoded, 0, 1), (std::vector<int>{60, 50, 40, 0xFF}));

  bytes = Text("P6 1 1 127 ");
  PutBytes(bytes, {127, 0, 64});
  DecodeFromBlock scaled(bytes);
  ASSERT_EQ(scaled.Result(), S_OK);
  EXPECT_EQ(Pixel(scaled, 0, 0), (std::vector<int>{64 * 255 / 127, 0, 255, 0xFF}));

  bytes = Text("P6 1 1 65535\n");
  PutBytes(bytes, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(DecodeFromBlock(bytes).Result(), D3DXERR_INVALIDDATA);
}

TEST(PpmDecoder, PixelsAreDecodedEvenForTheHeaderAlone) {
  DecodeFromBlock decoded(Text("P3 1 1 255 1 2 3\n"), false);
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Info().Format, D3DFMT_X8R8G8B8);
  ASSERT_NE(decoded.Image().pixels, nullptr);
  EXPECT_EQ(decoded.PixelByte(0, 0), 3);
  // So a file without all its pixels is not even recognised.
  EXPECT_EQ(DecodeFromBlock(Text("P3 2 1 255 1 2 3 4 5"), false).Result(),
            D3DXERR_INVALIDDATA);
}

TEST(PpmDecoder, MalformedHeadersAndSamplesAreRefused) {
  for (const char* text : {
           "P3 2 1 255 1 2 3 4 5",     // ends before the last sample
           "P3 0 1 255 ",              // no width
           "P3 1 1 0 1 2 3",           // no maximum
           "P3 1x 1 255 1 2 3",        // a number running into a letter
           "P3 1 1 255 1 2 3x",        // a sample running into a letter
           "P3 1 1 255 1 -2 3",        // no sign allowed
           "P31 1 255 1 2 3",          // no separator after the magic
           "P7 1 1 255 1",             // no such kind
       }) {
    EXPECT_EQ(DecodeFromBlock(Text(text)).Result(), D3DXERR_INVALIDDATA) << text;
  }
  FileBytes shortBinary = Text("P6 2 1 255\n");
  PutBytes(shortBinary, {1, 2, 3, 4, 5});
  EXPECT_EQ(DecodeFromBlock(shortBinary).Result(), D3DXERR_INVALIDDATA);
  // Sizes far beyond what the block could hold are refused before anything is allocated.
  EXPECT_EQ(DecodeFromBlock(Text("P3 4000000000 4000000000 255 1 2 3")).Result(),
            D3DXERR_INVALIDDATA);
}

// The 16-bit value of pixel x of row y, stored little-endian.
unsigned Wide(const DecodeFromBlock& decoded, UINT y, UINT x) {
  return decoded.PixelByte(y, 2 * x) | (decoded.PixelByte(y, 2 * x + 1) << 8);
}

TEST(PpmDecoder, GreyMapsUpToAByteAreL8AndWiderOnesL16) {
  DecodeFromBlock text(Text("P2\n# grey\n3 1\n15\n0 7\n15"));
  ASSERT_EQ(text.Result(), S_OK);
  EXPECT_EQ(text.Image().fileFormat, D3DXIFF_PPM);
  EXPECT_EQ(text.Image().format, D3DFMT_L8);
  EXPECT_EQ(text.Image().rowPitch, 3u);
  EXPECT_EQ(text.PixelByte(0, 0), 0);
  EXPECT_EQ(text.PixelByte(0, 1), 7 * 255 / 15);
  EXPECT_EQ(text.PixelByte(0, 2), 255);

  FileBytes bytes = Text("P5 2 1 127\n");
  PutBytes(bytes, {127, 64});
  DecodeFromBlock binary(bytes);
  ASSERT_EQ(binary.Result(), S_OK);
  EXPECT_EQ(binary.PixelByte(0, 0), 255);
  EXPECT_EQ(binary.PixelByte(0, 1), 64 * 255 / 127);

  DecodeFromBlock wideText(Text("P2 2 1 1000 1000 250"), false);
  ASSERT_EQ(wideText.Result(), S_OK);
  EXPECT_EQ(wideText.Info().Format, D3DFMT_L16);
  EXPECT_EQ(wideText.Image().rowPitch, 4u);
  EXPECT_EQ(Wide(wideText, 0, 0), 65535u);
  EXPECT_EQ(Wide(wideText, 0, 1), 250u * 65535 / 1000);

  // Binary samples of two bytes are stored most significant byte first.
  bytes = Text("P5 3 1 300\r\n");
  PutBytes(bytes, {0x01, 0x00, 0x00, 0x96, 0xFF, 0xFF});
  DecodeFromBlock wideBinary(bytes);
  ASSERT_EQ(wideBinary.Result(), S_OK);
  EXPECT_EQ(wideBinary.Image().format, D3DFMT_L16);
  EXPECT_EQ(Wide(wideBinary, 0, 0), 256u * 65535 / 300);
  EXPECT_EQ(Wide(wideBinary, 0, 1), 150u * 65535 / 300);
  EXPECT_EQ(Wide(wideBinary, 0, 2), 65535u);

  bytes = Text("P5 1 1 65536\n");
  PutBytes(bytes, {1, 2, 3});
  EXPECT_EQ(DecodeFromBlock(bytes).Result(), D3DXERR_INVALIDDATA);
  bytes = Text("P5 2 1 1000\n");
  PutBytes(bytes, {1, 2, 3});
  EXPECT_EQ(DecodeFromBlock(bytes).Result(), D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(Text("P2 2 1 255 1")).Result(), D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(Text("P2 1 1 255 1x")).Result(), D3DXERR_INVALIDDATA);
}

TEST(PpmDecoder, BitmapsAreL8WithSetBitsBlack) {
  DecodeFromBlock text(Text("P1\n# bits\n3 2\n1 0 1\n01#c\n0"));
  ASSERT_EQ(text.Result(), S_OK);
  EXPECT_EQ(text.Image().format, D3DFMT_L8);
  EXPECT_EQ(text.Image().rowPitch, 3u);
  const BYTE expected[2][3] = {{0, 255, 0}, {255, 0, 255}};
  for (UINT y = 0; y < 2; ++y) {
    for (UINT x = 0; x < 3; ++x) EXPECT_EQ(text.PixelByte(y, x), expected[y][x]) << x << y;
  }

  // Rows of 10 bits take two bytes each, most significant bit first.
  FileBytes bytes = Text("P4\n10 2\n");
  PutBytes(bytes, {0xB0, 0x40, 0xFF, 0xC0});
  DecodeFromBlock binary(bytes);
  ASSERT_EQ(binary.Result(), S_OK);
  const BYTE top[10] = {0, 255, 0, 0, 255, 255, 255, 255, 255, 0};
  for (UINT x = 0; x < 10; ++x) {
    EXPECT_EQ(binary.PixelByte(0, x), top[x]) << x;
    EXPECT_EQ(binary.PixelByte(1, x), 0) << x;
  }

  EXPECT_EQ(DecodeFromBlock(Text("P1 2 1 1 2")).Result(), D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(Text("P1 2 1 1")).Result(), D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(Text("P1 0 1 1")).Result(), D3DXERR_INVALIDDATA);
  bytes = Text("P4 9 1\n");
  PutBytes(bytes, {0xFF});
  EXPECT_EQ(DecodeFromBlock(bytes).Result(), D3DXERR_INVALIDDATA);
}

TEST(PpmDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  FileBytes text = Text("P3\n#c\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11 12\n");
  DecodeEveryPrefix(text);
  DecodeEveryByteCorrupted(text);
  FileBytes binary = Text("P6 2 2 255\n");
  PutBytes(binary, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  DecodeEveryPrefix(binary);
  DecodeEveryByteCorrupted(binary);
  for (const char* grey : {"P2 2 1 700 1 699\n", "P1 3 1 101\n"}) {
    DecodeEveryPrefix(Text(grey));
    DecodeEveryByteCorrupted(Text(grey));
  }
  FileBytes wide = Text("P5 2 1 700\n");
  PutBytes(wide, {1, 2, 3, 4});
  DecodeEveryPrefix(wide);
  DecodeEveryByteCorrupted(wide);
  FileBytes bits = Text("P4 9 2\n");
  PutBytes(bits, {1, 2, 3, 4});
  DecodeEveryPrefix(bits);
  DecodeEveryByteCorrupted(bits);
}

}  // namespace
