// DecodeDds through the recognition loop: pixel-format matching, mip chains, cube faces,
// volumes and palettes, all borrowed from the block.

#include <gtest/gtest.h>

#include "tests/toolkit/image/decoder_test_support.h"
#include "toolkit/image/d3dx_image.h"

namespace {

constexpr unsigned DDSD_DEPTH = 0x800000;
constexpr unsigned allCubeFaces = 0xFC00;

struct DdsPixelFormatShape {
  unsigned flags = 0x41;
  unsigned fourCc = 0;
  unsigned bitCount = 32;
  unsigned masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
};

struct DdsShape {
  unsigned width = 4;
  unsigned height = 4;
  unsigned depth = 0;
  unsigned levels = 0;
  unsigned flags = 0x1007;
  unsigned caps2 = 0;
  DdsPixelFormatShape pixelFormat;
};

DdsPixelFormatShape FourCcFormat(D3DFORMAT format) {
  DdsPixelFormatShape shape;
  shape.flags = 0x4;
  shape.fourCc = static_cast<unsigned>(format);
  shape.bitCount = 0;
  for (unsigned& mask : shape.masks) mask = 0;
  return shape;
}

// The header, then `dataBytes` bytes counting up from 0.
FileBytes MakeDds(const DdsShape& shape, std::size_t dataBytes) {
  FileBytes out;
  PutText(out, "DDS ");
  PutLe32(out, 124);
  PutLe32(out, shape.flags);
  PutLe32(out, shape.height);
  PutLe32(out, shape.width);
  PutLe32(out, 0);
  PutLe32(out, shape.depth);
  PutLe32(out, shape.levels);
  for (int i = 0; i < 11; ++i) PutLe32(out, 0);
  PutLe32(out, 32);
  PutLe32(out, shape.pixelFormat.flags);
  PutLe32(out, shape.pixelFormat.fourCc);
  PutLe32(out, shape.pixelFormat.bitCount);
  for (unsigned mask : shape.pixelFormat.masks) PutLe32(out, mask);
  PutLe32(out, 0x1000);
  PutLe32(out, shape.caps2);
  for (int i = 0; i < 3; ++i) PutLe32(out, 0);
  for (std::size_t i = 0; i < dataBytes; ++i) out.push_back(static_cast<BYTE>(i));
  return out;
}

TEST(DdsDecoder, NineLevelsGiveNineBorrowedRecordsHalvingDownToOne) {
  DdsShape shape;
  shape.width = 256;
  shape.height = 64;
  shape.levels = 9;
  // 256x64, 128x32, 64x16, 32x8, 16x4, 8x2, 4x1, 2x1, 1x1 at 4 bytes a pixel.
  const unsigned widths[9] = {256, 128, 64, 32, 16, 8, 4, 2, 1};
  const unsigned heights[9] = {64, 32, 16, 8, 4, 2, 1, 1, 1};
  std::size_t total = 0;
  for (int i = 0; i < 9; ++i) total += 4u * widths[i] * heights[i];
  DecodeFromBlock decoded(MakeDds(shape, total));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Info().MipLevels, 9u);
  EXPECT_EQ(decoded.Info().ImageFileFormat, D3DXIFF_DDS);
  EXPECT_EQ(decoded.Info().Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(decoded.Info().ResourceType, D3DRTYPE_TEXTURE);
  const DecodedImage* level = &decoded.Image();
  std::size_t offset = 128;
  for (int i = 0; i < 9; ++i) {
    ASSERT_NE(level, nullptr) << i;
    EXPECT_EQ(level->width, widths[i]) << i;
    EXPECT_EQ(level->height, heights[i]) << i;
    EXPECT_EQ(level->rowPitch, 4 * widths[i]) << i;
    EXPECT_EQ(level->slicePitch, 4 * widths[i] * heights[i]) << i;
    EXPECT_FALSE(level->ownsPixels) << i;
    EXPECT_EQ(level->pixels, decoded.Block() + offset) << i;
    EXPECT_EQ(level->sourceBox.Right, widths[i]) << i;
    offset += 4u * widths[i] * heights[i];
    level = level->nextLevel;
  }
  EXPECT_EQ(level, nullptr);

  // One byte short of the last level.
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, total - 1)).Result(), D3DXERR_INVALIDDATA);
}

TEST(DdsDecoder, CubeMapsNeedAllSixFaces) {
  DdsShape shape;
  shape.pixelFormat = FourCcFormat(D3DFMT_DXT1);
  shape.width = 8;
  shape.height = 8;
  shape.levels = 2;  // 8x8: 4 blocks of 8 bytes; 4x4: 1 block
  shape.caps2 = 0x200 | allCubeFaces;
  const std::size_t faceBytes = 32 + 8;
  DecodeFromBlock cube(MakeDds(shape, 6 * faceBytes));
  ASSERT_EQ(cube.Result(), S_OK);
  EXPECT_EQ(cube.Info().ResourceType, D3DRTYPE_CUBETEXTURE);
  EXPECT_EQ(cube.Image().FaceCount(), 6u);
  EXPECT_EQ(cube.Image().rowPitch, 16u);
  std::size_t offset = 128;
  for (const DecodedImage* face = &cube.Image(); face != nullptr; face = face->nextFace) {
    EXPECT_EQ(face->pixels, cube.Block() + offset);
    EXPECT_EQ(face->LevelCount(), 2u);
    EXPECT_EQ(face->format, D3DFMT_DXT1);
    ASSERT_NE(face->nextLevel, nullptr);
    EXPECT_EQ(face->nextLevel->pixels, cube.Block() + offset + 32);
    EXPECT_EQ(face->nextLevel->slicePitch, 8u);
    offset += faceBytes;
  }

  shape.caps2 = 0x200 | (allCubeFaces & ~0x8000u);  // five faces
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, 6 * faceBytes)).Result(), D3DXERR_INVALIDDATA);
}

TEST(DdsDecoder, VolumesHalveTheirDepthFromLevelToLevel) {
  DdsShape shape;
  shape.flags |= DDSD_DEPTH;
  shape.width = 4;
  shape.height = 2;
  shape.depth = 4;
  shape.levels = 3;
  shape.pixelFormat.flags = 0x20000;  // L8
  shape.pixelFormat.bitCount = 8;
  shape.pixelFormat.masks[0] = 0xFF;
  shape.pixelFormat.masks[1] = shape.pixelFormat.masks[2] = shape.pixelFormat.masks[3] = 0;
  // 4x2x4 = 32 bytes, 2x1x2 = 4, 1x1x1 = 1.
  DecodeFromBlock volume(MakeDds(shape, 37));
  ASSERT_EQ(volume.Result(), S_OK);
  EXPECT_EQ(volume.Info().ResourceType, D3DRTYPE_VOLUMETEXTURE);
  EXPECT_EQ(volume.Info().Format, D3DFMT_L8);
  EXPECT_EQ(volume.Info().Depth, 4u);
  const DecodedImage& top = volume.Image();
  EXPECT_EQ(top.slicePitch, 8u);
  ASSERT_NE(top.nextLevel, nullptr);
  EXPECT_EQ(top.nextLevel->depth, 2u);
  EXPECT_EQ(top.nextLevel->pixels, volume.Block() + 128 + 32);
  ASSERT_NE(top.nextLevel->nextLevel, nullptr);
  EXPECT_EQ(top.nextLevel->nextLevel->depth, 1u);
  EXPECT_EQ(top.nextLevel->nextLevel->sourceBox.Back, 1u);
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, 36)).Result(), D3DXERR_INVALIDDATA);
}

TEST(DdsDecoder, PixelFormatsMatchTheFirstFittingDescription) {
  DdsShape shape;
  shape.levels = 1;
  shape.pixelFormat.flags = 0x41 | 0x4;  // a code beside other flags: only the code counts
  shape.pixelFormat.fourCc = static_cast<unsigned>(D3DFMT_A16B16G16R16F);
  DecodeFromBlock half(MakeDds(shape, 4 * 4 * 8));
  ASSERT_EQ(half.Result(), S_OK);
  EXPECT_EQ(half.Image().format, D3DFMT_A16B16G16R16F);
  EXPECT_EQ(half.Image().rowPitch, 32u);

  shape.pixelFormat = FourCcFormat(D3DFMT_YUY2);
  shape.width = 3;
  DecodeFromBlock packed(MakeDds(shape, 8 * 4));
  ASSERT_EQ(packed.Result(), S_OK);
  EXPECT_EQ(packed.Image().rowPitch, 8u);

  // The table's red and blue masks of the 10-bit formats are kept as they are.
  shape = DdsShape();
  shape.pixelFormat.masks[0] = 0x3FF;
  shape.pixelFormat.masks[1] = 0xFFC00;
  shape.pixelFormat.masks[2] = 0x3FF00000;
  shape.pixelFormat.masks[3] = 0xC0000000;
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, 64)).Image().format, D3DFMT_A2R10G10B10);

  shape = DdsShape();
  shape.pixelFormat.masks[0] = 0xFF00;  // no known description
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, 64)).Result(), D3DXERR_INVALIDDATA);
  shape = DdsShape();
  shape.pixelFormat = FourCcFormat(static_cast<D3DFORMAT>(0x31495441));  // "ATI1"
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, 64)).Result(), D3DXERR_INVALIDDATA);
}

TEST(DdsDecoder, PalettesFollowTheHeaderAndAreBorrowedToo) {
  DdsShape shape;
  shape.pixelFormat.flags = 0x20;
  shape.pixelFormat.bitCount = 8;
  for (unsigned& mask : shape.pixelFormat.masks) mask = 0;
  shape.levels = 2;
  DecodeFromBlock decoded(MakeDds(shape, 1024 + 16 + 4));
  ASSERT_EQ(decoded.Result(), S_OK);
  EXPECT_EQ(decoded.Image().format, D3DFMT_P8);
  EXPECT_FALSE(decoded.Image().ownsPalette);
  EXPECT_EQ(reinterpret_cast<const BYTE*>(decoded.Image().palette), decoded.Block() + 128);
  EXPECT_EQ(decoded.Image().pixels, decoded.Block() + 128 + 1024);
  EXPECT_EQ(decoded.Image().nextLevel->palette, decoded.Image().palette);
  EXPECT_EQ(DecodeFromBlock(MakeDds(shape, 1000)).Result(), D3DXERR_INVALIDDATA);
}

DdsShape LuminanceShape(unsigned width, unsigned height, unsigned levels) {
  DdsShape shape;
  shape.width = width;
  shape.height = height;
  shape.levels = levels;
  shape.pixelFormat.flags = 0x20000;  // L8
  shape.pixelFormat.bitCount = 8;
  shape.pixelFormat.masks[0] = 0xFF;
  shape.pixelFormat.masks[1] = shape.pixelFormat.masks[2] = shape.pixelFormat.masks[3] = 0;
  return shape;
}

TEST(DdsDecoder, NoChainHoldsMoreLevelsThanTheLargestSideHasBits) {
  // A 1 x 1 picture with a million levels, a byte each: the header alone is refused too.
  const FileBytes million = MakeDds(LuminanceShape(1, 1, 1000000), 1000000);
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXGetImageInfoFromFileInMemory(
                                     million.data(), static_cast<UINT>(million.size()), &info));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeFromBlock(million).Result());

  // 8 x 2 halves to 4 x 1, 2 x 1 and 1 x 1: four levels and no fifth.
  DecodeFromBlock four(MakeDds(LuminanceShape(8, 2, 4), 16 + 4 + 2 + 1 + 1));
  ASSERT_EQ(S_OK, four.Result());
  EXPECT_EQ(4u, four.Info().MipLevels);
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeFromBlock(MakeDds(LuminanceShape(8, 2, 5), 24)).Result());

  // A volume's depth is one of its sides.
  DdsShape volume = LuminanceShape(1, 1, 3);
  volume.flags |= DDSD_DEPTH;
  volume.depth = 4;
  EXPECT_EQ(S_OK, DecodeFromBlock(MakeDds(volume, 4 + 2 + 1)).Result());
}

TEST(DdsDecoder, FilesCutShortOrCorruptedNeverReadOutsideTheBlock) {
  DdsShape shape;
  shape.width = 2;
  shape.height = 2;
  shape.levels = 2;
  FileBytes bytes = MakeDds(shape, 20);
  ASSERT_EQ(DecodeFromBlock(bytes).Result(), S_OK);
  DecodeEveryPrefix(bytes);
  DecodeEveryByteCorrupted(bytes);
}

}  // namespace
