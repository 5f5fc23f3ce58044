// DecodeTga through the recognition loop: formats and their alpha rules, orientations, runs,
// colour maps, and files cut short.

#include <gtest/gtest.h>

#include "tests/toolkit/image/decoder_test_support.h"

namespace {

struct TgaShape {
  int colorMapType = 0;
  int imageType = 2;
  unsigned mapFirst = 0;
  unsigned mapLength = 0;
  int mapEntryBits = 0;
  unsigned width = 2;
  unsigned height = 1;
  int depth = 32;
  int descriptor = 0x20;  // top-down, left to right
  std::string id;
  FileBytes map;
  FileBytes pixels;
};

FileBytes MakeTga(const TgaShape& shape) {
  FileBytes out;
  PutBytes(out, {static_cast<int>(shape.id.size()), shape.colorMapType, shape.imageType});
  PutLe16(out, shape.mapFirst);
  PutLe16(out, shape.mapLength);
  PutBytes(out, {shape.mapEntryBits});
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, shape.width);
  PutLe16(out, shape.height);
  PutBytes(out, {shape.depth, shape.descriptor});
  PutText(out, shape.id);
  out.insert(out.end(), shape.map.begin(), shape.map.end());
  out.insert(out.end(), shape.pixels.begin(), shape.pixels.end());
  return out;
}

TEST(TgaDecoder, ThirtyTwoBitAlphasDecideBetweenA8R8G8B8AndX8R8G8B8) {
  TgaShape shape;
  shape.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  DecodeFromBlock clear(MakeTga(shape));
  ASSERT_EQ(clear.Result(), S_OK);
  EXPECT_EQ(clear.Image().fileFormat, D3DXIFF_TGA);
  EXPECT_EQ(clear.Image().format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(clear.Image().rowPitch, 8u);

  shape.pixels[3] = 0x80;
  DecodeFromBlock withAlpha(MakeTga(shape));
  ASSERT_EQ(withAlpha.Result(), S_OK);
  EXPECT_EQ(withAlpha.Image().format, D3DFMT_A8R8G8B8);
  // Only what was decoded is judged: the header alone keeps the file's format.
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape), false).Info().Format, D3DFMT_A8R8G8B8);

  shape.depth = 16;
  shape.pixels = {0x1F, 0x7C, 0xE0, 0x03};
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape)).Image().format, D3DFMT_X1R5G5B5);
  shape.pixels[3] = 0x83;
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape)).Image().format, D3DFMT_A1R5G5B5);
}

TEST(TgaDecoder, TopDownLeftToRightPicturesAreBorrowedOthersReordered) {
  TgaShape shape;
  shape.depth = 24;
  shape.width = 2;
  shape.height = 2;
  shape.id = "abc";
  shape.pixels = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
  DecodeFromBlock borrowed(MakeTga(shape));
  ASSERT_EQ(borrowed.Result(), S_OK);
  EXPECT_EQ(borrowed.Image().format, D3DFMT_R8G8B8);
  EXPECT_FALSE(borrowed.Image().ownsPixels);
  EXPECT_EQ(borrowed.Image().pixels, borrowed.Block() + 18 + 3);

  shape.descriptor = 0x10;  // bottom-up, right to left
  DecodeFromBlock flipped(MakeTga(shape));
  ASSERT_EQ(flipped.Result(), S_OK);
  EXPECT_TRUE(flipped.Image().ownsPixels);
  EXPECT_EQ(flipped.PixelByte(0, 0), 4);
  EXPECT_EQ(flipped.PixelByte(0, 3), 3);
  EXPECT_EQ(flipped.PixelByte(1, 0), 2);
  EXPECT_EQ(flipped.PixelByte(1, 3), 1);
}

TEST(TgaDecoder, RunLengthPacketsRepeatOrCopyAcrossRows) {
  TgaShape shape;
  shape.imageType = 11;  // grey, run-length coded
  shape.depth = 8;
  shape.width = 3;
  shape.height = 2;
  shape.descriptor = 0;  // bottom-up
  shape.pixels = {0x83, 7,         // 7 7 7 7: the bottom row and one into the top row
                 0x01, 8, 9};     // 8 9
  DecodeFromBlock decoded(MakeTga(shape));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().format, D3DFMT_L8);
  const BYTE top[3] = {7, 8, 9};
  for (UINT x = 0; x < 3; ++x) {
    EXPECT_EQ(decoded.PixelByte(1, x), 7) << x;
    EXPECT_EQ(decoded.PixelByte(0, x), top[x]) << x;
  }

  shape.pixels = {0x83, 7, 0x02, 8, 9, 10};  // one pixel more than the picture holds
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape)).Result(), D3DXERR_INVALIDDATA);
  shape.pixels = {0x86, 7};  // a repeat that runs past the last pixel
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape)).Result(), D3DXERR_INVALIDDATA);
  shape.pixels = {0x83, 7, 0x01, 8};  // a literal packet past the end of the block
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape)).Result(), D3DXERR_INVALIDDATA);
}

TEST(TgaDecoder, GreyWithAlphaIsA8L8PlainOrCoded) {
  TgaShape shape;
  shape.imageType = 3;
  shape.depth = 16;
  shape.width = 2;
  shape.height = 2;
  shape.descriptor = 0x10;  // bottom-up, right to left
  shape.pixels = {10, 1, 20, 2, 30, 3, 40, 4};
  DecodeFromBlock plain(MakeTga(shape));
  ASSERT_EQ(plain.Result(), S_OK);
  EXPECT_EQ(plain.Image().format, D3DFMT_A8L8);
  EXPECT_EQ(plain.Image().rowPitch, 4u);
  const BYTE top[4] = {40, 4, 30, 3};
  const BYTE bottom[4] = {20, 2, 10, 1};
  for (UINT i = 0; i < 4; ++i) {
    EXPECT_EQ(plain.PixelByte(0, i), top[i]) << i;
    EXPECT_EQ(plain.PixelByte(1, i), bottom[i]) << i;
  }

  shape.imageType = 11;
  shape.descriptor = 0x20;
  shape.pixels = {0x82, 50, 0, 0x00, 60, 255};  // three of (50, 0), then (60, 255)
  DecodeFromBlock coded(MakeTga(shape));
  ASSERT_EQ(coded.Result(), S_OK);
  EXPECT_EQ(coded.Image().format, D3DFMT_A8L8);
  EXPECT_EQ(coded.PixelByte(1, 0), 50);
  EXPECT_EQ(coded.PixelByte(1, 1), 0);
  EXPECT_EQ(coded.PixelByte(1, 2), 60);
  EXPECT_EQ(coded.PixelByte(1, 3), 255);
}

TEST(TgaDecoder, ColourMapEntriesLandAtTheirIndicesWithTheAlphaRule) {
  TgaShape shape;
  shape.colorMapType = 1;
  shape.imageType = 1;
  shape.depth = 8;
  shape.mapFirst = 4;
  shape.mapLength = 2;
  shape.mapEntryBits = 16;
  shape.map = {0x1F, 0x00, 0x00, 0x7C};  // blue without alpha bit, red without alpha bit
  shape.pixels = {4, 5};
  DecodeFromBlock opaque(MakeTga(shape));
  ASSERT_EQ(opaque.Result(), S_OK);
  EXPECT_EQ(opaque.Image().format, D3DFMT_P8);
  const PALETTEENTRY* palette = opaque.Image().palette;
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette[4].peBlue, 255);
  EXPECT_EQ(palette[4].peRed, 0);
  EXPECT_EQ(palette[4].peFlags, 255);  // no entry had alpha: the map is opaque
  EXPECT_EQ(palette[5].peRed, 255);
  EXPECT_EQ(palette[0].peGreen, 255);  // outside the map: opaque white

  shape.map[3] = 0xFC;  // red with its alpha bit
  DecodeFromBlock keyed(MakeTga(shape));
  ASSERT_EQ(keyed.Result(), S_OK);
  EXPECT_EQ(keyed.Image().palette[4].peFlags, 0);
  EXPECT_EQ(keyed.Image().palette[5].peFlags, 255);

  shape.mapFirst = 255;  // entries past index 255
  EXPECT_EQ(DecodeFromBlock(MakeTga(shape)).Result(), D3DXERR_INVALIDDATA);
}

TEST(TgaDecoder, ImplausibleHeadersAreRefused) {
  TgaShape good;
  good.pixels = FileBytes(8, 1);
  ASSERT_EQ(DecodeFromBlock(MakeTga(good)).Result(), S_OK);
  auto refused = [](const TgaShape& shape) {
    return DecodeFromBlock(MakeTga(shape)).Result() == D3DXERR_INVALIDDATA;
  };
  TgaShape shape = good;
  shape.colorMapType = 2;
  EXPECT_TRUE(refused(shape));
  shape = good;
  shape.imageType = 4;
  EXPECT_TRUE(refused(shape));
  shape = good;
  shape.imageType = 1;  // colour-mapped without a map
  EXPECT_TRUE(refused(shape));
  shape = good;
  shape.depth = 12;
  EXPECT_TRUE(refused(shape));
  shape = good;
  shape.width = 0;
  EXPECT_TRUE(refused(shape));
  shape = good;
  shape.colorMapType = 1;
  shape.mapEntryBits = 8;
  EXPECT_TRUE(refused(shape));
  shape = good;
  shape.pixels.pop_back();  // uncompressed pixels cut short
  EXPECT_TRUE(refused(shape));
}

TEST(TgaDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  TgaShape shape;
  shape.colorMapType = 1;
  shape.imageType = 9;
  shape.depth = 8;
  shape.mapLength = 2;
  shape.mapEntryBits = 24;
  shape.map = {1, 2, 3, 4, 5, 6};
  shape.width = 4;
  shape.height = 2;
  shape.descriptor = 0x10;
  shape.pixels = {0x82, 1, 0x04, 0, 1, 0, 1, 0};
  DecodeEveryPrefix(MakeTga(shape));
  DecodeEveryByteCorrupted(MakeTga(shape));
}

}  // namespace
