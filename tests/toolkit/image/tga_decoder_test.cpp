// DecodeTga through the recognition loop: formats and their alpha rules, orientations, runs,
// colour maps, and files cut short.

#include <gtest/gtest.h>

#include "tests/toolkit/image/decoder_test_support.h"

namespace {

struct TgaSpec {
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

FileBytes MakeTga(const TgaSpec& spec) {
  FileBytes out;
  PutBytes(out, {static_cast<int>(spec.id.size()), spec.colorMapType, spec.imageType});
  PutLe16(out, spec.mapFirst);
  PutLe16(out, spec.mapLength);
  PutBytes(out, {spec.mapEntryBits});
  PutLe16(out, 0);
  PutLe16(out, 0);
  PutLe16(out, spec.width);
  PutLe16(out, spec.height);
  PutBytes(out, {spec.depth, spec.descriptor});
  PutText(out, spec.id);
  out.insert(out.end(), spec.map.begin(), spec.map.end());
  out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
  return out;
}

TEST(TgaDecoder, ThirtyTwoBitAlphasDecideBetweenA8R8G8B8AndX8R8G8B8) {
  TgaSpec spec;
  spec.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  DecodeFromBlock clear(MakeTga(spec));
  ASSERT_EQ(clear.Result(), S_OK);
  EXPECT_EQ(clear.Image().fileFormat, D3DXIFF_TGA);
  EXPECT_EQ(clear.Image().format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(clear.Image().rowPitch, 8u);

  spec.pixels[3] = 0x80;
  DecodeFromBlock withAlpha(MakeTga(spec));
  ASSERT_EQ(withAlpha.Result(), S_OK);
  EXPECT_EQ(withAlpha.Image().format, D3DFMT_A8R8G8B8);
  // Only what was decoded is judged: the header alone keeps the file's format.
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec), false).Info().Format, D3DFMT_A8R8G8B8);

  spec.depth = 16;
  spec.pixels = {0x1F, 0x7C, 0xE0, 0x03};
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec)).Image().format, D3DFMT_X1R5G5B5);
  spec.pixels[3] = 0x83;
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec)).Image().format, D3DFMT_A1R5G5B5);
}

TEST(TgaDecoder, TopDownLeftToRightPicturesAreBorrowedOthersReordered) {
  TgaSpec spec;
  spec.depth = 24;
  spec.width = 2;
  spec.height = 2;
  spec.id = "abc";
  spec.pixels = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
  DecodeFromBlock borrowed(MakeTga(spec));
  ASSERT_EQ(borrowed.Result(), S_OK);
  EXPECT_EQ(borrowed.Image().format, D3DFMT_R8G8B8);
  EXPECT_FALSE(borrowed.Image().ownsPixels);
  EXPECT_EQ(borrowed.Image().pixels, borrowed.Block() + 18 + 3);

  spec.descriptor = 0x10;  // bottom-up, right to left
  DecodeFromBlock flipped(MakeTga(spec));
  ASSERT_EQ(flipped.Result(), S_OK);
  EXPECT_TRUE(flipped.Image().ownsPixels);
  EXPECT_EQ(flipped.PixelByte(0, 0), 4);
  EXPECT_EQ(flipped.PixelByte(0, 3), 3);
  EXPECT_EQ(flipped.PixelByte(1, 0), 2);
  EXPECT_EQ(flipped.PixelByte(1, 3), 1);
}

TEST(TgaDecoder, RunLengthPacketsRepeatOrCopyAcrossRows) {
  TgaSpec spec;
  spec.imageType = 11;  // grey, run-length coded
  spec.depth = 8;
  spec.width = 3;
  spec.height = 2;
  spec.descriptor = 0;  // bottom-up
  spec.pixels = {0x83, 7,         // 7 7 7 7: the bottom row and one into the top row
                 0x01, 8, 9};     // 8 9
  DecodeFromBlock decoded(MakeTga(spec));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().format, D3DFMT_L8);
  const BYTE top[3] = {7, 8, 9};
  for (UINT x = 0; x < 3; ++x) {
    EXPECT_EQ(decoded.PixelByte(1, x), 7) << x;
    EXPECT_EQ(decoded.PixelByte(0, x), top[x]) << x;
  }

  spec.pixels = {0x83, 7, 0x02, 8, 9, 10};  // one pixel more than the picture holds
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec)).Result(), D3DXERR_INVALIDDATA);
  spec.pixels = {0x86, 7};  // a repeat that runs past the last pixel
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec)).Result(), D3DXERR_INVALIDDATA);
  spec.pixels = {0x83, 7, 0x01, 8};  // a literal packet past the end of the block
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec)).Result(), D3DXERR_INVALIDDATA);
}

TEST(TgaDecoder, ColourMapEntriesLandAtTheirIndicesWithTheAlphaRule) {
  TgaSpec spec;
  spec.colorMapType = 1;
  spec.imageType = 1;
  spec.depth = 8;
  spec.mapFirst = 4;
  spec.mapLength = 2;
  spec.mapEntryBits = 16;
  spec.map = {0x1F, 0x00, 0x00, 0x7C};  // blue without alpha bit, red without alpha bit
  spec.pixels = {4, 5};
  DecodeFromBlock opaque(MakeTga(spec));
  ASSERT_EQ(opaque.Result(), S_OK);
  EXPECT_EQ(opaque.Image().format, D3DFMT_P8);
  const PALETTEENTRY* palette = opaque.Image().palette;
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette[4].peBlue, 255);
  EXPECT_EQ(palette[4].peRed, 0);
  EXPECT_EQ(palette[4].peFlags, 255);  // no entry had alpha: the map is opaque
  EXPECT_EQ(palette[5].peRed, 255);
  EXPECT_EQ(palette[0].peGreen, 255);  // outside the map: opaque white

  spec.map[3] = 0xFC;  // red with its alpha bit
  DecodeFromBlock keyed(MakeTga(spec));
  ASSERT_EQ(keyed.Result(), S_OK);
  EXPECT_EQ(keyed.Image().palette[4].peFlags, 0);
  EXPECT_EQ(keyed.Image().palette[5].peFlags, 255);

  spec.mapFirst = 255;  // entries past index 255
  EXPECT_EQ(DecodeFromBlock(MakeTga(spec)).Result(), D3DXERR_INVALIDDATA);
}

TEST(TgaDecoder, ImplausibleHeadersAreRefused) {
  TgaSpec good;
  good.pixels = FileBytes(8, 1);
  ASSERT_EQ(DecodeFromBlock(MakeTga(good)).Result(), S_OK);
  auto refused = [](const TgaSpec& spec) {
    return DecodeFromBlock(MakeTga(spec)).Result() == D3DXERR_INVALIDDATA;
  };
  TgaSpec spec = good;
  spec.colorMapType = 2;
  EXPECT_TRUE(refused(spec));
  spec = good;
  spec.imageType = 4;
  EXPECT_TRUE(refused(spec));
  spec = good;
  spec.imageType = 1;  // colour-mapped without a map
  EXPECT_TRUE(refused(spec));
  spec = good;
  spec.depth = 12;
  EXPECT_TRUE(refused(spec));
  spec = good;
  spec.width = 0;
  EXPECT_TRUE(refused(spec));
  spec = good;
  spec.colorMapType = 1;
  spec.mapEntryBits = 8;
  EXPECT_TRUE(refused(spec));
  spec = good;
  spec.pixels.pop_back();  // uncompressed pixels cut short
  EXPECT_TRUE(refused(spec));
}

TEST(TgaDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  TgaSpec spec;
  spec.colorMapType = 1;
  spec.imageType = 9;
  spec.depth = 8;
  spec.mapLength = 2;
  spec.mapEntryBits = 24;
  spec.map = {1, 2, 3, 4, 5, 6};
  spec.width = 4;
  spec.height = 2;
  spec.descriptor = 0x10;
  spec.pixels = {0x82, 1, 0x04, 0, 1, 0, 1, 0};
  DecodeEveryPrefix(MakeTga(spec));
  DecodeEveryByteCorrupted(MakeTga(spec));
}

}  // namespace
