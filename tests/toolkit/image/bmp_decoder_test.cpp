// DecodeBmp and DecodeDib through the recognition loop: formats, row order, palettes, bit
// fields, run-length coding, borrowing, and files cut short.

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/toolkit/image/decoder_test_support.h"
#include "toolkit/common/allocation.h"

namespace {

constexpr unsigned BI_RGB = 0;
constexpr unsigned BI_RLE8 = 1;
constexpr unsigned BI_RLE4 = 2;
constexpr unsigned BI_BITFIELDS = 3;

struct DibShape {
  int width = 1;
  int height = 1;
  unsigned bitCount = 24;
  unsigned compression = BI_RGB;
  unsigned headerSize = 40;
  unsigned colorsUsed = 0;
  // Colour-table entries as 0xRRGGBB.
  std::vector<unsigned> table;
  unsigned masks[4] = {};
  // Red, green and blue masks stored after the header (BITMAPINFOHEADER with bit fields).
  bool masksAfterHeader = false;
  // The pixel bytes exactly as stored, padding included.
  FileBytes pixels;
};

FileBytes MakeDib(const DibShape& shape) {
  FileBytes out;
  PutLe32(out, shape.headerSize);
  PutLe32(out, static_cast<unsigned>(shape.width));
  PutLe32(out, static_cast<unsigned>(shape.height));
  PutLe16(out, 1);
  PutLe16(out, shape.bitCount);
  PutLe32(out, shape.compression);
  PutLe32(out, static_cast<unsigned>(shape.pixels.size()));
  PutLe32(out, 2835);
  PutLe32(out, 2835);
  PutLe32(out, shape.colorsUsed);
  PutLe32(out, 0);
  for (unsigned i = 0; out.size() < shape.headerSize; ++i) PutLe32(out, i < 4 ? shape.masks[i] : 0);
  if (shape.masksAfterHeader) {
    for (int i = 0; i < 3; ++i) PutLe32(out, shape.masks[i]);
  }
  for (unsigned entry : shape.table) PutLe32(out, entry);
  out.insert(out.end(), shape.pixels.begin(), shape.pixels.end());
  return out;
}

FileBytes MakeBmp(const FileBytes& dib, unsigned pixelOffset) {
  FileBytes out;
  PutText(out, "BM");
  PutLe32(out, static_cast<unsigned>(dib.size() + 14));
  PutLe32(out, 0);
  PutLe32(out, pixelOffset);
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

FileBytes MakeBmp(const DibShape& shape) {
  const unsigned tableBytes = 4 * static_cast<unsigned>(shape.table.size());
  const unsigned maskBytes = shape.masksAfterHeader ? 12 : 0;
  return MakeBmp(MakeDib(shape), 14 + shape.headerSize + maskBytes + tableBytes);
}

// A 3 x 2 picture of 24 bits, stored bottom-up: row 0 of the file is the picture's last.
DibShape TwentyFourBitBottomUp() {
  DibShape shape;
  shape.width = 3;
  shape.height = 2;
  shape.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,  // bottom row, padded to 12 bytes
                 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0};
  return shape;
}

TEST(BmpDecoder, TwentyFourBitBottomUpRowsAreReversedAndPitchIsRoundedToFour) {
  DecodeFromBlock decoded(MakeBmp(TwentyFourBitBottomUp()));
  ASSERT_EQ(decoded.Result(), S_OK);
  const DecodedImage& image = decoded.Image();
  EXPECT_EQ(image.fileFormat, D3DXIFF_BMP);
  EXPECT_EQ(image.format, D3DFMT_R8G8B8);
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.rowPitch, 12u);
  EXPECT_TRUE(image.ownsPixels);
  EXPECT_EQ(decoded.PixelByte(0, 0), 11);
  EXPECT_EQ(decoded.PixelByte(0, 8), 19);
  EXPECT_EQ(decoded.PixelByte(1, 0), 1);
  EXPECT_EQ(decoded.PixelByte(1, 8), 9);
  EXPECT_EQ(decoded.Info().ImageFileFormat, D3DXIFF_BMP);
  EXPECT_EQ(decoded.Info().Format, D3DFMT_R8G8B8);
}

TEST(BmpDecoder, ThirtyTwoBitTopBytesChooseBetweenX8R8G8B8AndA8R8G8B8) {
  DibShape shape;
  shape.width = 2;
  shape.height = 1;
  shape.bitCount = 32;
  shape.pixels = {10, 20, 30, 0, 40, 50, 60, 0};
  DecodeFromBlock opaque(MakeBmp(shape), false);
  ASSERT_EQ(opaque.Result(), S_OK);
  EXPECT_EQ(opaque.Info().Format, D3DFMT_X8R8G8B8);

  shape.pixels[7] = 1;
  DecodeFromBlock withAlpha(MakeBmp(shape));
  ASSERT_EQ(withAlpha.Result(), S_OK);
  EXPECT_EQ(withAlpha.Image().format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(withAlpha.PixelByte(0, 7), 1);
}

TEST(BmpDecoder, BareDibIsRecognisedOnlyByTheLastTry) {
  DecodeFromBlock decoded(MakeDib(TwentyFourBitBottomUp()));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().fileFormat, D3DXIFF_DIB);
  EXPECT_EQ(decoded.Info().ImageFileFormat, D3DXIFF_DIB);
  EXPECT_EQ(decoded.PixelByte(0, 0), 11);
}

TEST(BmpDecoder, FileDeclaringMoreBytesThanItHasIsLeftToLaterDecoders) {
  // "BM" followed by two zero bytes also reads as a DIB header of 0x4D42 bytes, whose width
  // field overlaps the BMP file size: that size (65,536) is more than the block holds.
  FileBytes bytes(0x4D42, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  bytes[4] = 1;     // BMP size 0x10000; DIB width 1
  bytes[8] = 1;     // DIB height 1
  bytes[12] = 1;    // planes
  bytes[14] = 24;   // bits
  PutBytes(bytes, {7, 8, 9, 0});
  DecodeFromBlock decoded(bytes);
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().fileFormat, D3DXIFF_DIB);
  EXPECT_EQ(decoded.PixelByte(0, 2), 9);

  FileBytes truncated = MakeBmp(TwentyFourBitBottomUp());
  SetLe32(truncated, 2, static_cast<unsigned>(truncated.size() + 1));
  EXPECT_EQ(DecodeFromBlock(truncated).Result(), D3DXERR_INVALIDDATA);
}

TEST(BmpDecoder, PixelsStartAtTheDeclaredOffsetWhenItIsSound) {
  DibShape shape;
  shape.bitCount = 24;
  FileBytes dib = MakeDib(shape);
  PutBytes(dib, {0xEE, 0xEE, 0xEE, 0xEE, 1, 2, 3, 0});  // a gap of 4 bytes, then the pixel
  unsigned pastGap = 14 + 40 + 4;
  DecodeFromBlock decoded(MakeBmp(dib, pastGap));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.PixelByte(0, 0), 1);
  EXPECT_EQ(decoded.PixelByte(0, 2), 3);

  // An offset past the block, or inside the header, is ignored: pixels follow the table.
  for (unsigned offset : {0u, 20u, 5000u}) {
    DecodeFromBlock fallback(MakeBmp(dib, offset));
    ASSERT_EQ(fallback.Result(), S_OK) << offset;
    EXPECT_EQ(fallback.PixelByte(0, 0), 0xEE) << offset;
  }
}

TEST(BmpDecoder, IndexedBitmapsSpreadIndicesAndBuildAnOpaquePalette) {
  DibShape shape;
  shape.width = 10;
  shape.height = 1;
  shape.bitCount = 1;
  shape.colorsUsed = 2;
  shape.table = {0x102030, 0x405060};
  shape.pixels = {0xA5, 0x80, 0, 0};  // 1010 0101 10
  DecodeFromBlock mono(MakeDib(shape));
  ASSERT_EQ(mono.Result(), S_OK);
  EXPECT_EQ(mono.Image().format, D3DFMT_P8);
  EXPECT_EQ(mono.Image().rowPitch, 12u);
  const BYTE expected[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 0};
  for (UINT x = 0; x < 10; ++x) EXPECT_EQ(mono.PixelByte(0, x), expected[x]) << x;
  const PALETTEENTRY* palette = mono.Image().palette;
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette[1].peRed, 0x40);
  EXPECT_EQ(palette[1].peGreen, 0x50);
  EXPECT_EQ(palette[1].peBlue, 0x60);
  EXPECT_EQ(palette[1].peFlags, 255);
  EXPECT_EQ(palette[2].peRed, 255);  // past the colour count: opaque white
  EXPECT_EQ(palette[2].peFlags, 255);

  shape.width = 3;
  shape.bitCount = 4;
  shape.colorsUsed = 0;  // a full table of 16
  shape.table.assign(16, 0);
  shape.pixels = {0x1F, 0x70, 0, 0};
  DecodeFromBlock nibbles(MakeDib(shape));
  ASSERT_EQ(nibbles.Result(), S_OK);
  EXPECT_EQ(nibbles.PixelByte(0, 0), 1);
  EXPECT_EQ(nibbles.PixelByte(0, 1), 15);
  EXPECT_EQ(nibbles.PixelByte(0, 2), 7);
}

TEST(BmpDecoder, TopDownFilesBorrowTheirPixelsFromTheBlock) {
  DibShape shape;
  shape.width = 2;
  shape.height = -2;
  shape.bitCount = 8;
  shape.colorsUsed = 1;
  shape.table = {0xFFFFFF};
  shape.pixels = {1, 2, 0, 0, 3, 4, 0, 0};
  DecodeFromBlock decoded(MakeDib(shape));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_FALSE(decoded.Image().ownsPixels);
  EXPECT_EQ(decoded.Image().pixels, decoded.Block() + 44);
  EXPECT_EQ(decoded.Image().height, 2u);
  EXPECT_EQ(decoded.PixelByte(1, 1), 4);
}

DibShape BitFields(unsigned bitCount, unsigned r, unsigned g, unsigned b, unsigned a) {
  DibShape shape;
  shape.headerSize = 56;
  shape.width = 1;
  shape.height = -1;
  shape.bitCount = bitCount;
  shape.compression = BI_BITFIELDS;
  shape.masks[0] = r;
  shape.masks[1] = g;
  shape.masks[2] = b;
  shape.masks[3] = a;
  return shape;
}

TEST(BmpDecoder, KnownMaskSetsNameTheirFormat) {
  DibShape shape = BitFields(16, 0xF800, 0x7E0, 0x1F, 0);
  shape.pixels = {0x34, 0x12, 0, 0};
  DecodeFromBlock r5g6b5(MakeDib(shape));
  ASSERT_EQ(r5g6b5.Result(), S_OK);
  EXPECT_EQ(r5g6b5.Image().format, D3DFMT_R5G6B5);
  EXPECT_FALSE(r5g6b5.Image().ownsPixels);

  shape = BitFields(32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000);
  shape.pixels = {1, 2, 3, 4};
  EXPECT_EQ(DecodeFromBlock(MakeDib(shape)).Image().format, D3DFMT_A2B10G10R10);

  // Red, green and blue in the top three bytes: read from one byte further on.
  shape = BitFields(32, 0xFF000000, 0xFF0000, 0xFF00, 0);
  shape.height = 1;  // bottom-up, so copied
  shape.pixels = {0x99, 0x30, 0x20, 0x10};
  DecodeFromBlock shifted(MakeDib(shape));
  ASSERT_EQ(shifted.Result(), S_OK);
  EXPECT_EQ(shifted.Image().format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(shifted.PixelByte(0, 0), 0x30);
  EXPECT_EQ(shifted.PixelByte(0, 1), 0x20);
  EXPECT_EQ(shifted.PixelByte(0, 2), 0x10);

  // A 40-byte header whose masks the block does not hold.
  shape = BitFields(16, 0xF800, 0x7E0, 0x1F, 0);
  shape.headerSize = 40;
  shape.pixels = {0, 0, 0, 0};
  EXPECT_EQ(DecodeFromBlock(MakeDib(shape)).Result(), D3DXERR_INVALIDDATA);
}

TEST(BmpDecoder, InfoHeaderBitFieldsTakeTheirMasksFromAfterTheHeader) {
  // 5-6-5, 2 x 2 bottom-up: red, green below; blue, 0x1234 above.
  DibShape shape = BitFields(16, 0xF800, 0x7E0, 0x1F, 0);
  shape.headerSize = 40;
  shape.masksAfterHeader = true;
  shape.width = 2;
  shape.height = 2;
  shape.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x34, 0x12};
  DecodeFromBlock r5g6b5(MakeBmp(shape));
  ASSERT_EQ(r5g6b5.Result(), S_OK);
  EXPECT_EQ(r5g6b5.Image().format, D3DFMT_R5G6B5);
  EXPECT_EQ(r5g6b5.Image().rowPitch, 4u);
  const BYTE top[4] = {0x1F, 0x00, 0x34, 0x12};
  const BYTE bottom[4] = {0x00, 0xF8, 0xE0, 0x07};
  for (UINT i = 0; i < 4; ++i) {
    EXPECT_EQ(r5g6b5.PixelByte(0, i), top[i]) << i;
    EXPECT_EQ(r5g6b5.PixelByte(1, i), bottom[i]) << i;
  }

  // 32 bits, with a colour table after the masks that the pixels follow.
  shape = BitFields(32, 0xFF0000, 0xFF00, 0xFF, 0);
  shape.headerSize = 40;
  shape.masksAfterHeader = true;
  shape.width = 2;
  shape.colorsUsed = 1;
  shape.table = {0xABCDEF};
  shape.pixels = {10, 20, 30, 0, 40, 50, 60, 0};
  for (const FileBytes& file : {MakeBmp(shape), MakeDib(shape)}) {
    DecodeFromBlock decoded(file);
    ASSERT_EQ(decoded.Result(), S_OK);
    EXPECT_EQ(decoded.Image().format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(decoded.Image().pixels, decoded.Block() + file.size() - 8);
    EXPECT_EQ(decoded.PixelByte(0, 4), 40);
    EXPECT_EQ(decoded.PixelByte(0, 6), 60);
  }

  // A mask set without a Direct3D format of its own reads as floats, as from longer headers.
  shape = BitFields(16, 0xF000, 0x0F00, 0x00F0, 0);
  shape.headerSize = 40;
  shape.masksAfterHeader = true;
  shape.pixels = {0x00, 0xF5, 0, 0};
  DecodeFromBlock floats(MakeDib(shape));
  ASSERT_EQ(floats.Result(), S_OK);
  EXPECT_EQ(floats.Image().format, D3DFMT_A32B32G32R32F);
  EXPECT_FLOAT_EQ(floats.PixelFloat(0, 0, 1), 5.0f / 15.0f);
  EXPECT_FLOAT_EQ(floats.PixelFloat(0, 0, 3), 1.0f);
}

TEST(BmpDecoder, OtherMaskSetsBecomeFloatsScaledByTheirMask) {
  DibShape shape = BitFields(16, 0xF000, 0x0F00, 0x00F0, 0);  // no alpha mask: 1.0
  shape.width = 2;
  shape.pixels = {0x00, 0xF5, 0x30, 0x00};  // 0xF500, 0x0030
  DecodeFromBlock decoded(MakeDib(shape));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().format, D3DFMT_A32B32G32R32F);
  EXPECT_EQ(decoded.Image().rowPitch, 32u);
  EXPECT_TRUE(decoded.Image().ownsPixels);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 0), 1.0f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 1), 5.0f / 15.0f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 2), 0.0f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 0, 3), 1.0f);
  EXPECT_FLOAT_EQ(decoded.PixelFloat(0, 1, 2), 3.0f / 15.0f);
}

// An 8-bit palette of 256 grey entries.
std::vector<unsigned> GreyTable() {
  std::vector<unsigned> table;
  for (unsigned i = 0; i < 256; ++i) table.push_back(i * 0x010101);
  return table;
}

TEST(BmpDecoder, Rle8RunsLiteralsMovesAndLineEndsExpandBottomUp) {
  DibShape shape;
  shape.width = 6;
  shape.height = 3;
  shape.bitCount = 8;
  shape.compression = BI_RLE8;
  shape.table = GreyTable();
  shape.pixels = {3, 7,           // bottom row: 7 7 7
                 0, 3, 1, 2, 3, 0,  // literal 1 2 3, padded
                 0, 0,           // end of line
                 0, 2, 2, 1,     // move right 2 and up 1: top row, x 2
                 2, 9,           // 9 9
                 0, 1};          // end of bitmap
  DecodeFromBlock decoded(MakeBmp(shape));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().format, D3DFMT_P8);
  EXPECT_EQ(decoded.Image().rowPitch, 8u);
  const BYTE bottom[6] = {7, 7, 7, 1, 2, 3};
  for (UINT x = 0; x < 6; ++x) EXPECT_EQ(decoded.PixelByte(2, x), bottom[x]) << x;
  const BYTE top[6] = {0, 0, 9, 9, 0, 0};
  for (UINT x = 0; x < 6; ++x) EXPECT_EQ(decoded.PixelByte(0, x), top[x]) << x;
  for (UINT x = 0; x < 6; ++x) EXPECT_EQ(decoded.PixelByte(1, x), 0) << x;
}

TEST(BmpDecoder, Rle4RunsAlternateNibbles) {
  DibShape shape;
  shape.width = 7;
  shape.height = 1;
  shape.bitCount = 4;
  shape.compression = BI_RLE4;
  shape.table.assign(16, 0);
  shape.pixels = {4, 0x12,           // 1 2 1 2
                 0, 3, 0x34, 0x50,  // literal 3 4 5 (two bytes, already even)
                 0, 1};
  DecodeFromBlock decoded(MakeDib(shape));
  ASSERT_EQ(decoded.Result(), S_OK);
  const BYTE expected[7] = {1, 2, 1, 2, 3, 4, 5};
  for (UINT x = 0; x < 7; ++x) EXPECT_EQ(decoded.PixelByte(0, x), expected[x]) << x;
}

TEST(BmpDecoder, RleCodesThatLeaveTheImageOrTheBlockAreRefused) {
  DibShape shape;
  shape.width = 4;
  shape.height = 2;
  shape.bitCount = 8;
  shape.compression = BI_RLE8;
  shape.table = GreyTable();
  const std::vector<FileBytes> bad = {
      {5, 1, 0, 1},              // run wider than the row
      {0, 2, 5, 0, 0, 1},        // move past the right edge
      {0, 2, 0, 2, 0, 1},        // move past the last row
      {0, 0, 0, 0, 1, 1, 0, 1},  // a run below the last row
      {0, 4, 1, 2},              // literal cut off by the end of the block
      {2},                       // a pair cut in half
  };
  for (const FileBytes& codes : bad) {
    shape.pixels = codes;
    EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), D3DXERR_INVALIDDATA);
  }
  shape.pixels = {4, 1};  // data that ends without an end-of-bitmap code
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), S_OK);
}

TEST(BmpDecoder, ImplausibleHeadersAreRefused) {
  DibShape shape = TwentyFourBitBottomUp();
  shape.bitCount = 7;
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), D3DXERR_INVALIDDATA);
  shape = TwentyFourBitBottomUp();
  shape.compression = BI_RLE8;  // run codes of 24-bit pixels
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), D3DXERR_INVALIDDATA);
  shape = TwentyFourBitBottomUp();
  shape.headerSize = 30;
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), D3DXERR_INVALIDDATA);
  shape = TwentyFourBitBottomUp();
  shape.colorsUsed = 0x40000000;  // a table far larger than the file
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), D3DXERR_INVALIDDATA);
}

TEST(BmpDecoder, AHeightOfMinusTwoToThe31IsNoBitmapForEitherPass) {
  // Run-length codes, so that no pixel data has to back the rows the header declares.
  DibShape shape;
  shape.bitCount = 8;
  shape.compression = BI_RLE8;
  shape.table = {0};
  shape.colorsUsed = 1;
  shape.pixels = {0, 1};
  shape.height = INT32_MIN;
  testing_hooks::TakeLargestAllocationRequest();
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape), false).Result(), D3DXERR_INVALIDDATA);
  EXPECT_EQ(DecodeFromBlock(MakeBmp(shape)).Result(), D3DXERR_INVALIDDATA);
  EXPECT_LT(testing_hooks::TakeLargestAllocationRequest(), std::size_t{1} << 20);
  // One row fewer is a top-down header like any other.
  shape.height = INT32_MIN + 1;
  DecodeFromBlock header(MakeBmp(shape), false);
  ASSERT_EQ(header.Result(), S_OK);
  EXPECT_EQ(header.Info().Height, 2147483647u);
}

TEST(BmpDecoder, CoreHeaderUsesThreeByteTableEntries) {
  FileBytes dib;
  PutLe32(dib, 12);
  PutLe16(dib, 2);
  PutLe16(dib, 1);
  PutLe16(dib, 1);
  PutLe16(dib, 1);
  PutBytes(dib, {0, 0, 0, 0x30, 0x20, 0x10});  // black, then blue 0x30 green 0x20 red 0x10
  PutBytes(dib, {0x40, 0, 0, 0});
  DecodeFromBlock decoded(dib);
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().fileFormat, D3DXIFF_DIB);
  EXPECT_EQ(decoded.PixelByte(0, 1), 1);
  EXPECT_EQ(decoded.Image().palette[1].peRed, 0x10);
  EXPECT_EQ(decoded.Image().palette[1].peBlue, 0x30);
}

TEST(BmpDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  DecodeEveryPrefix(MakeBmp(TwentyFourBitBottomUp()));
  DibShape shape;
  shape.width = 6;
  shape.height = 3;
  shape.bitCount = 8;
  shape.compression = BI_RLE8;
  shape.table = {0, 0xFFFFFF};
  shape.colorsUsed = 2;
  shape.pixels = {3, 1, 0, 3, 1, 0, 1, 0, 0, 0, 0, 2, 2, 1, 2, 1, 0, 1};
  DecodeEveryPrefix(MakeBmp(shape));
  DecodeEveryByteCorrupted(MakeBmp(shape));
  DibShape shifted = BitFields(32, 0xFF000000, 0xFF0000, 0xFF00, 0);
  shifted.width = 2;
  shifted.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // one byte more than the pixels: borrowed
  DecodeEveryPrefix(MakeDib(shifted));
  DecodeEveryByteCorrupted(MakeDib(shifted));
  DibShape masksAfter = BitFields(16, 0xF800, 0x7E0, 0x1F, 0);
  masksAfter.headerSize = 40;
  masksAfter.masksAfterHeader = true;
  masksAfter.pixels = {1, 2, 0, 0};
  DecodeEveryPrefix(MakeBmp(masksAfter));
  DecodeEveryByteCorrupted(MakeBmp(masksAfter));
}

}  // namespace
