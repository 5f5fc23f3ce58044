// PNG decoding: the pixel format and byte order of every colour type and depth, transparency,
// palettes and their gamma, interlacing, damaged files and what header-only decoding touches.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <vector>

#include "png_writer.h"
#include "tests/toolkit/image/decoder_test_support.h"
#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/image/decoded_image.h"

namespace {

using Bytes = std::vector<BYTE>;
// The bytes one pixel should have in memory, from the file's samples of that pixel.
using PixelBytes = std::function<Bytes(const int* samples)>;

BYTE Low(int value) { return static_cast<BYTE>(value & 0xFF); }
BYTE High(int value) { return static_cast<BYTE>(value >> 8); }
// A grey sample of 1, 2 or 4 bits spread over 0 ... 255.
BYTE Widen(int value, int bitDepth) {
  return static_cast<BYTE>(value * 255 / ((1 << bitDepth) - 1));
}

class PngDecoding : public testing::Test {
 protected:
  void TearDown() override { testing_hooks::FailAllocationAfter(-1); }

  // Decodes the whole image through the recognition loop, as the texture loader does.
  void Decode(const std::vector<std::uint8_t>& file) {
    ASSERT_EQ(S_OK, image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), &info,
                                         true));
  }

  void ExpectPixels(const PngPicture& picture, D3DFORMAT format, UINT bytesPerPixel,
                    const PixelBytes& expected) {
    Decode(WritePng(picture));
    EXPECT_EQ(static_cast<DWORD>(format), static_cast<DWORD>(image.format));
    ASSERT_EQ(bytesPerPixel * static_cast<UINT>(picture.width), image.rowPitch);
    EXPECT_EQ(1u, image.depth);
    EXPECT_EQ(0u, image.slicePitch);
    ASSERT_NE(nullptr, image.pixels);
    const int channels = ChannelsOfColorType(picture.colorType);
    int mismatches = 0;
    for (int y = 0; y < picture.height && mismatches < 5; ++y) {
      for (int x = 0; x < picture.width && mismatches < 5; ++x) {
        const int* samples = &picture.samples[static_cast<std::size_t>((y * picture.width + x) *
                                                                       channels)];
        const BYTE* pixel = image.pixels + y * image.rowPitch + x * bytesPerPixel;
        const Bytes actual(pixel, pixel + bytesPerPixel);
        if (actual != expected(samples)) {
          ++mismatches;
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
        }
      }
    }
  }

  DecodedImage image;
  D3DXIMAGE_INFO info{};
};

TEST_F(PngDecoding, EightBitRgbaIsBlueGreenRedAlpha) {
  ExpectPixels(RampPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 5, 3), D3DFMT_A8R8G8B8, 4,
               [](const int* s) { return Bytes{Low(s[2]), Low(s[1]), Low(s[0]), Low(s[3])}; });
  EXPECT_EQ(D3DFMT_A8R8G8B8, info.Format);
}

TEST_F(PngDecoding, EightBitRgbGetsAnOpaqueFillerByte) {
  ExpectPixels(RampPicture(PNG_COLOR_TYPE_RGB, 8, 5, 3), D3DFMT_X8R8G8B8, 4,
               [](const int* s) { return Bytes{Low(s[2]), Low(s[1]), Low(s[0]), 0xFF}; });
}

TEST_F(PngDecoding, EightBitRgbWithTransparentColourGetsAlpha) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_RGB, 8, 4, 3);
  // The first and the last pixel share the transparent colour.
  for (int c = 0; c < 3; ++c) picture.samples[picture.samples.size() - 3 + c] = picture.samples[c];
  const int red = picture.samples[0], green = picture.samples[1], blue = picture.samples[2];
  picture.transparentValue = png_color_16{0, static_cast<png_uint_16>(red),
                                          static_cast<png_uint_16>(green),
                                          static_cast<png_uint_16>(blue), 0};
  ExpectPixels(picture, D3DFMT_A8R8G8B8, 4, [&](const int* s) {
    const bool keyed = s[0] == red && s[1] == green && s[2] == blue;
    return Bytes{Low(s[2]), Low(s[1]), Low(s[0]), static_cast<BYTE>(keyed ? 0 : 255)};
  });
  EXPECT_EQ(0, image.pixels[3]);
  EXPECT_EQ(0, image.pixels[image.rowPitch * 2 + 3 * 4 + 3]);
}

TEST_F(PngDecoding, SixteenBitRgbKeepsBlueGreenRedWordsLittleEndian) {
  ExpectPixels(RampPicture(PNG_COLOR_TYPE_RGB, 16, 3, 2), FMT_R16G16B16, 6, [](const int* s) {
    return Bytes{Low(s[2]), High(s[2]), Low(s[1]), High(s[1]), Low(s[0]), High(s[0])};
  });
  // Callers are told the eight-bit format the pseudo format stands for.
  EXPECT_EQ(D3DFMT_R8G8B8, info.Format);
}

TEST_F(PngDecoding, SixteenBitRgbWithTransparentColourIsRedGreenBlueAlpha) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_RGB, 16, 3, 2);
  const int red = picture.samples[3], green = picture.samples[4], blue = picture.samples[5];
  picture.transparentValue = png_color_16{0, static_cast<png_uint_16>(red),
                                          static_cast<png_uint_16>(green),
                                          static_cast<png_uint_16>(blue), 0};
  ExpectPixels(picture, D3DFMT_A16B16G16R16, 8, [&](const int* s) {
    const BYTE alpha = s[0] == red && s[1] == green && s[2] == blue ? 0 : 0xFF;
    return Bytes{Low(s[0]), High(s[0]), Low(s[1]), High(s[1]),
                 Low(s[2]), High(s[2]), alpha,     alpha};
  });
  EXPECT_EQ(D3DFMT_A16B16G16R16, info.Format);
}

TEST_F(PngDecoding, SixteenBitRgbaIsRedGreenBlueAlpha) {
  ExpectPixels(RampPicture(PNG_COLOR_TYPE_RGB_ALPHA, 16, 3, 2), D3DFMT_A16B16G16R16, 8,
               [](const int* s) {
                 return Bytes{Low(s[0]), High(s[0]), Low(s[1]), High(s[1]),
                              Low(s[2]), High(s[2]), Low(s[3]), High(s[3])};
               });
}

TEST_F(PngDecoding, NarrowGreyIsUnpackedAndSpreadToEightBits) {
  for (int depth : {1, 2, 4}) {
    SCOPED_TRACE(depth);
    // Widths that end inside a byte.
    ExpectPixels(RampPicture(PNG_COLOR_TYPE_GRAY, depth, 11, 3), D3DFMT_L8, 1,
                 [&](const int* s) { return Bytes{Widen(s[0], depth)}; });
    image.Empty();
  }
}

TEST_F(PngDecoding, NarrowGreyWithTransparentValueIsLuminanceAlpha) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_GRAY, 4, 7, 3);
  const int key = picture.samples[2];
  picture.transparentValue = png_color_16{0, 0, 0, 0, static_cast<png_uint_16>(key)};
  ExpectPixels(picture, D3DFMT_A8L8, 2, [&](const int* s) {
    return Bytes{Widen(s[0], 4), static_cast<BYTE>(s[0] == key ? 0 : 255)};
  });
}

TEST_F(PngDecoding, EightBitGreyWithAndWithoutTransparentValue) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_GRAY, 8, 6, 2);
  ExpectPixels(picture, D3DFMT_L8, 1, [](const int* s) { return Bytes{Low(s[0])}; });
  image.Empty();
  const int key = picture.samples[1];
  picture.transparentValue = png_color_16{0, 0, 0, 0, static_cast<png_uint_16>(key)};
  ExpectPixels(picture, D3DFMT_A8L8, 2, [&](const int* s) {
    return Bytes{Low(s[0]), static_cast<BYTE>(s[0] == key ? 0 : 255)};
  });
}

TEST_F(PngDecoding, SixteenBitGreyIsLittleEndianAndGainsAlphaFromTransparency) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_GRAY, 16, 5, 2);
  ExpectPixels(picture, D3DFMT_L16, 2, [](const int* s) { return Bytes{Low(s[0]), High(s[0])}; });
  image.Empty();
  const int key = picture.samples[4];
  picture.transparentValue = png_color_16{0, 0, 0, 0, static_cast<png_uint_16>(key)};
  ExpectPixels(picture, FMT_A16L16, 4, [&](const int* s) {
    const BYTE alpha = s[0] == key ? 0 : 0xFF;
    return Bytes{Low(s[0]), High(s[0]), alpha, alpha};
  });
  EXPECT_EQ(D3DFMT_A8L8, info.Format);
}

TEST_F(PngDecoding, GreyAlphaKeepsLuminanceBeforeAlpha) {
  ExpectPixels(RampPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 5, 3), D3DFMT_A8L8, 2,
               [](const int* s) { return Bytes{Low(s[0]), Low(s[1])}; });
  image.Empty();
  ExpectPixels(RampPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 5, 3), FMT_A16L16, 4,
               [](const int* s) { return Bytes{Low(s[0]), High(s[0]), Low(s[1]), High(s[1])}; });
  EXPECT_EQ(D3DFMT_A8L8, info.Format);
}

TEST_F(PngDecoding, PalettisedFilesGiveOneIndexPerByteAndAWhitePaddedPalette) {
  for (int depth : {1, 2, 4, 8}) {
    SCOPED_TRACE(depth);
    PngPicture picture = RampPicture(PNG_COLOR_TYPE_PALETTE, depth, 13, 3);
    ExpectPixels(picture, D3DFMT_P8, 1, [](const int* s) { return Bytes{Low(s[0])}; });
    ASSERT_NE(nullptr, image.palette);
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY& entry = image.palette[i];
      const bool inFile = i < static_cast<int>(picture.palette.size());
      EXPECT_EQ(inFile ? picture.palette[i].red : 255, entry.peRed) << i;
      EXPECT_EQ(inFile ? picture.palette[i].green : 255, entry.peGreen) << i;
      EXPECT_EQ(inFile ? picture.palette[i].blue : 255, entry.peBlue) << i;
      EXPECT_EQ(255, entry.peFlags) << i;
    }
    image.Empty();
  }
}

TEST_F(PngDecoding, PaletteTransparencyBecomesTheAlphaOfTheFirstEntries) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_PALETTE, 4, 6, 2);
  picture.paletteAlphas = {0, 77, 200};
  ExpectPixels(picture, D3DFMT_P8, 1, [](const int* s) { return Bytes{Low(s[0])}; });
  const BYTE alphas[] = {0, 77, 200, 255, 255};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(alphas[i], image.palette[i].peFlags) << i;
  EXPECT_EQ(255, image.palette[255].peFlags);
}

// A palette of the three greys 0, 128 and 255, with the given colour-space chunks.
PngPicture GreyPalette(std::optional<double> gamma, bool srgb) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_PALETTE, 2, 3, 1);
  picture.palette = {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}};
  picture.samples = {0, 1, 2};
  picture.gamma = gamma;
  picture.srgb = srgb;
  return picture;
}

TEST_F(PngDecoding, PaletteOfALinearFileIsCorrectedOnceForTheDisplay) {
  Decode(WritePng(GreyPalette(1.0, false)));
  // 255 * (128 / 255)^(1 / 2.2), rounded: corrected once, not twice (221).
  EXPECT_EQ(0, image.palette[0].peRed);
  EXPECT_EQ(186, image.palette[1].peRed);
  EXPECT_EQ(186, image.palette[1].peGreen);
  EXPECT_EQ(186, image.palette[1].peBlue);
  EXPECT_EQ(255, image.palette[2].peRed);
}

TEST_F(PngDecoding, SrgbChunkOrNoGammaLeavesThePaletteAlone) {
  // libpng writes no gAMA beside sRGB other than sRGB's own, and reads it back so.
  Decode(WritePng(GreyPalette(std::nullopt, true)));
  EXPECT_EQ(128, image.palette[1].peRed);
  image.Empty();
  Decode(WritePng(GreyPalette(std::nullopt, false)));
  EXPECT_EQ(128, image.palette[1].peRed);
}

TEST_F(PngDecoding, PixelsOfALinearFileAreCorrectedForTheDisplay) {
  PngPicture picture = RampPicture(PNG_COLOR_TYPE_RGB, 8, 1, 1);
  picture.samples = {128, 0, 255};
  picture.gamma = 1.0;
  Decode(WritePng(picture));
  EXPECT_EQ((Bytes{255, 0, 186, 255}), Bytes(image.pixels, image.pixels + 4));
  image.Empty();
  picture.gamma.reset();
  picture.srgb = true;
  Decode(WritePng(picture));
  EXPECT_EQ((Bytes{255, 0, 128, 255}), Bytes(image.pixels, image.pixels + 4));
}

TEST_F(PngDecoding, InterlacedFilesEqualTheirPlainTwins) {
  const PngPicture pictures[] = {
      RampPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 13, 11),
      RampPicture(PNG_COLOR_TYPE_PALETTE, 2, 13, 11),
      RampPicture(PNG_COLOR_TYPE_GRAY, 16, 9, 7),
      RampPicture(PNG_COLOR_TYPE_GRAY, 1, 17, 5),
  };
  for (PngPicture picture : pictures) {
    SCOPED_TRACE(picture.colorType * 100 + picture.bitDepth);
    DecodedImage plain;
    DecodedImage interlaced;
    std::vector<std::uint8_t> plainFile = WritePng(picture);
    picture.interlaced = true;
    std::vector<std::uint8_t> interlacedFile = WritePng(picture);
    ASSERT_NE(plainFile, interlacedFile);
    ASSERT_EQ(S_OK, plain.LoadFromMemory(plainFile.data(), static_cast<UINT>(plainFile.size()),
                                         nullptr, true));
    ASSERT_EQ(S_OK, interlaced.LoadFromMemory(interlacedFile.data(),
                                              static_cast<UINT>(interlacedFile.size()), nullptr,
                                              true));
    EXPECT_EQ(plain.format, interlaced.format);
    ASSERT_EQ(plain.rowPitch, interlaced.rowPitch);
    EXPECT_EQ(0, std::memcmp(plain.pixels, interlaced.pixels, plain.rowPitch * plain.height));
  }
}

// Offset of the first IDAT chunk's data.
std::size_t ImageDataOffset(const std::vector<std::uint8_t>& file) {
  for (std::size_t at = 8; at + 8 <= file.size();) {
    const std::size_t length = (std::size_t{file[at]} << 24) | (file[at + 1] << 16) |
                               (file[at + 2] << 8) | file[at + 3];
    if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) return at + 8;
    at += 12 + length;
  }
  return 0;
}

TEST_F(PngDecoding, FileCutInsideItsImageDataIsRefusedButItsHeaderReads) {
  std::vector<std::uint8_t> file = WritePng(RampPicture(PNG_COLOR_TYPE_RGB, 8, 40, 40));
  const std::size_t dataOffset = ImageDataOffset(file);
  ASSERT_GT(dataOffset, 0u);
  file.resize(dataOffset + 20);

  image.loadPixels = TRUE;
  EXPECT_EQ(E_FAIL, image.DecodePng(file.data(), static_cast<UINT>(file.size())));
  image.Empty();
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), nullptr, true));
  EXPECT_EQ(nullptr, image.pixels);
  // The header ends before the image data, so its description is still there.
  ASSERT_EQ(S_OK, image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), &info, false));
  EXPECT_EQ(40u, info.Width);
}

void PutBe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// The chunk's CRC over its type and data, as the file stores it after them.
void PutChunkCrc(std::vector<std::uint8_t>& file, std::size_t chunkStart, std::size_t length) {
  const uLong crc = crc32(0, &file[chunkStart + 4], static_cast<uInt>(length + 4));
  PutBe32(file, chunkStart + 8 + length, static_cast<std::uint32_t>(crc));
}

// A chunk of `type` and `data` put in before the first IDAT.
void InsertChunk(std::vector<std::uint8_t>& file, const char* type,
                 const std::vector<std::uint8_t>& data) {
  const std::size_t at = ImageDataOffset(file) - 8;
  std::vector<std::uint8_t> chunk(12 + data.size());
  PutBe32(chunk, 0, static_cast<std::uint32_t>(data.size()));
  std::memcpy(&chunk[4], type, 4);
  std::copy(data.begin(), data.end(), chunk.begin() + 8);
  PutChunkCrc(chunk, 0, data.size());
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), chunk.begin(), chunk.end());
}

TEST_F(PngDecoding, PicturesPastThePixelLimitAreRefusedBeforeTheirBlockIsAsked) {
  // 20000 x 20000 RGBA (1.6 GB) declared before the image data of a 4 x 4 picture.
  std::vector<std::uint8_t> file = WritePng(RampPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 4, 4));
  PutBe32(file, 16, 20000);
  PutBe32(file, 20, 20000);
  PutChunkCrc(file, 8, 13);
  testing_hooks::TakeLargestAllocationRequest();
  image.loadPixels = TRUE;
  EXPECT_EQ(E_OUTOFMEMORY, image.DecodePng(file.data(), static_cast<UINT>(file.size())));
  EXPECT_LT(testing_hooks::TakeLargestAllocationRequest(), std::size_t{1} << 20);
  image.Empty();
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), nullptr, true));
  // The header alone still describes it.
  ASSERT_EQ(S_OK, image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), &info, false));
  EXPECT_EQ(20000u, info.Width);
}

TEST_F(PngDecoding, CompressedTextChunksCannotSwellMemory) {
  // Sixty zTXt chunks, each 3 MB of text packed into a few kilobytes.
  const std::vector<std::uint8_t> text(3 << 20, 'a');
  uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
  std::vector<std::uint8_t> chunk = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
  const std::size_t head = chunk.size();
  chunk.resize(head + packedSize);
  ASSERT_EQ(Z_OK, compress2(&chunk[head], &packedSize, text.data(),
                            static_cast<uLong>(text.size()), 9));
  chunk.resize(head + packedSize);
  const PngPicture picture = RampPicture(PNG_COLOR_TYPE_GRAY, 8, 8, 8);
  std::vector<std::uint8_t> file = WritePng(picture);
  for (int i = 0; i < 60; ++i) InsertChunk(file, "zTXt", chunk);

  const std::size_t peakBefore = PeakResidentBytes();
  Decode(file);
  EXPECT_LT(PeakResidentBytes() - peakBefore, std::size_t{64} << 20);
  EXPECT_EQ(picture.samples[9], image.pixels[image.rowPitch + 1]);
}

TEST_F(PngDecoding, ChunksDeclaringGigabytesAreSkippedWithoutAskingForThem) {
  // libpng would read each of these whole into a block of the length it declares.
  for (const char* type : {"iTXt", "tEXt", "zTXt", "sPLT", "pCAL", "sCAL"}) {
    SCOPED_TRACE(type);
    std::vector<std::uint8_t> file = WritePng(RampPicture(PNG_COLOR_TYPE_GRAY, 8, 1, 1));
    // A length of 2^31 - 1 and a type, then three bytes of data and the file's end.
    std::vector<std::uint8_t> claim(11, 'a');
    PutBe32(claim, 0, 0x7FFFFFFF);
    std::memcpy(&claim[4], type, 4);
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(ImageDataOffset(file) - 8),
                claim.begin(), claim.end());
    testing_hooks::TakeLargestAllocationRequest();
    image.loadPixels = TRUE;
    EXPECT_EQ(E_FAIL, image.DecodePng(file.data(), static_cast<UINT>(file.size())));
    image.Empty();
    EXPECT_EQ(D3DXERR_INVALIDDATA,
              image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), &info, false));
    EXPECT_LT(testing_hooks::TakeLargestAllocationRequest(), std::size_t{1} << 20);
  }
}

TEST_F(PngDecoding, BlockShorterThanTheSignatureFailsWhenLibpngReadsOn) {
  const BYTE start[] = {0x89, 'P', 'N', 'G', '\r'};
  EXPECT_EQ(E_FAIL, image.DecodePng(start, sizeof start));
  EXPECT_EQ(D3DXERR_INVALIDDATA, image.LoadFromMemory(start, sizeof start, &info, true));
  const BYTE wrong[] = {0x89, 'P', 'N', 'X'};
  EXPECT_EQ(E_FAIL, image.DecodePng(wrong, sizeof wrong));
}

TEST_F(PngDecoding, HeaderOnlyDecodingAllocatesNothing) {
  const std::vector<std::uint8_t> file = WritePng(RampPicture(PNG_COLOR_TYPE_PALETTE, 4, 9, 5));
  testing_hooks::FailAllocationAfter(0);
  ASSERT_EQ(S_OK, image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), &info, false));
  EXPECT_EQ(D3DFMT_P8, image.format);
  EXPECT_EQ(9u, image.width);
  EXPECT_EQ(5u, image.height);
  EXPECT_EQ(1u, image.depth);
  EXPECT_EQ(9u, image.rowPitch);
  EXPECT_EQ(nullptr, image.pixels);
  EXPECT_EQ(nullptr, image.palette);
  EXPECT_FALSE(image.ownsPixels);
}

TEST_F(PngDecoding, RefusedAllocationsEndInOutOfMemoryWithNothingLost) {
  const std::vector<std::uint8_t> file = WritePng(RampPicture(PNG_COLOR_TYPE_PALETTE, 8, 9, 5));
  // Pixels, row pointers, palette: each refusal in turn.
  for (int granted = 0; granted < 3; ++granted) {
    SCOPED_TRACE(granted);
    DecodedImage refused;
    refused.loadPixels = TRUE;
    testing_hooks::FailAllocationAfter(granted);
    EXPECT_EQ(E_OUTOFMEMORY, refused.DecodePng(file.data(), static_cast<UINT>(file.size())));
    EXPECT_EQ(granted > 0, refused.ownsPixels != FALSE);
    testing_hooks::FailAllocationAfter(-1);
  }
  testing_hooks::FailAllocationAfter(3);
  image.loadPixels = TRUE;
  EXPECT_EQ(S_OK, image.DecodePng(file.data(), static_cast<UINT>(file.size())));
}

}  // namespace
