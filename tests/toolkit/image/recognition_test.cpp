// The recognition loop and image information from memory: argument checks, the description
// of a decoded head, refusal of unknown bytes, the numeric locale, and the record's ownership.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "png_writer.h"
#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/image/decoded_image.h"

namespace {

std::vector<std::uint8_t> SmallPng() {
  return WritePng(RampPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8, 7, 5));
}

TEST(Recognition, NullOrEmptyBlockIsAnInvalidCall) {
  DecodedImage image;
  D3DXIMAGE_INFO info{};
  const BYTE byte = 0;
  EXPECT_EQ(D3DERR_INVALIDCALL, image.LoadFromMemory(nullptr, 10, &info, true));
  EXPECT_EQ(D3DERR_INVALIDCALL, image.LoadFromMemory(&byte, 0, &info, true));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXGetImageInfoFromFileInMemory(nullptr, 10, &info));
}

TEST(Recognition, NothingWantedLooksAtNothing) {
  const char text[] = "no image at all";
  DecodedImage image;
  EXPECT_EQ(S_OK, image.LoadFromMemory(text, sizeof text, nullptr, false));
  EXPECT_EQ(D3DFMT_UNKNOWN, image.format);
  EXPECT_EQ(S_OK, D3DXGetImageInfoFromFileInMemory(text, sizeof text, nullptr));
}

TEST(Recognition, InfoDescribesThePictureItself) {
  const std::vector<std::uint8_t> file = SmallPng();
  D3DXIMAGE_INFO info;
  std::memset(&info, 0xAB, sizeof info);
  ASSERT_EQ(S_OK, D3DXGetImageInfoFromFileInMemory(file.data(), static_cast<UINT>(file.size()),
                                                   &info));
  EXPECT_EQ(7u, info.Width);
  EXPECT_EQ(5u, info.Height);
  EXPECT_EQ(1u, info.Depth);
  EXPECT_EQ(1u, info.MipLevels);
  EXPECT_EQ(D3DFMT_A8R8G8B8, info.Format);
  EXPECT_EQ(D3DRTYPE_TEXTURE, info.ResourceType);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
}

TEST(Recognition, DecodedHeadLoadsItsWholeArea) {
  const std::vector<std::uint8_t> file = SmallPng();
  DecodedImage image;
  ASSERT_EQ(S_OK, image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), nullptr,
                                       true));
  EXPECT_EQ(D3DXIFF_PNG, image.fileFormat);
  EXPECT_EQ(D3DRTYPE_TEXTURE, image.resourceType);
  const D3DBOX whole{0, 0, 7, 5, 0, 1};
  EXPECT_EQ(0, std::memcmp(&whole, &image.sourceBox, sizeof whole));
  EXPECT_TRUE(image.ownsPixels);
}

TEST(Recognition, ReusedRecordGivesUpItsEarlierResult) {
  const std::vector<std::uint8_t> first = SmallPng();
  const std::vector<std::uint8_t> second = WritePng(RampPicture(PNG_COLOR_TYPE_GRAY, 8, 3, 2));
  DecodedImage image;
  ASSERT_EQ(S_OK, image.LoadFromMemory(first.data(), static_cast<UINT>(first.size()), nullptr,
                                       true));
  // The first result's pixels would leak (the leak checker sees it) if they were overwritten.
  ASSERT_EQ(S_OK, image.LoadFromMemory(second.data(), static_cast<UINT>(second.size()), nullptr,
                                       true));
  EXPECT_EQ(D3DFMT_L8, image.format);
  const char text[] = "plain text";
  EXPECT_EQ(D3DXERR_INVALIDDATA, image.LoadFromMemory(text, sizeof text, nullptr, true));
  EXPECT_EQ(nullptr, image.pixels);
}

// Switches LC_NUMERIC to a locale other than "C" for one test and back afterwards.
class UnrecognisedBytes : public testing::Test {
 protected:
  void SetUp() override {
    previous = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(nullptr, std::setlocale(LC_NUMERIC, "C.UTF-8"));
    callerLocale = std::setlocale(LC_NUMERIC, nullptr);
  }
  void TearDown() override { std::setlocale(LC_NUMERIC, previous.c_str()); }

  void ExpectRefused(const std::vector<BYTE>& bytes) {
    D3DXIMAGE_INFO info;
    std::memset(&info, 0xAB, sizeof info);
    D3DXIMAGE_INFO untouched = info;
    DecodedImage image;
    EXPECT_EQ(D3DXERR_INVALIDDATA,
              image.LoadFromMemory(bytes.data(), static_cast<UINT>(bytes.size()), &info, true));
    EXPECT_EQ(0, std::memcmp(&untouched, &info, sizeof info));
    EXPECT_EQ(nullptr, image.pixels);
    EXPECT_EQ(nullptr, image.nextLevel);
    EXPECT_STREQ(callerLocale.c_str(), std::setlocale(LC_NUMERIC, nullptr));
  }

  std::string previous;
  std::string callerLocale;
};

TEST_F(UnrecognisedBytes, TextIsRefusedAndTheCallersLocaleKept) {
  const std::string text = "Mirefell map 3.5, nothing to see\n";
  ExpectRefused(std::vector<BYTE>(text.begin(), text.end()));
}

TEST_F(UnrecognisedBytes, RandomBytesAreRefusedAndTheCallersLocaleKept) {
  std::mt19937 random(20260);
  for (UINT size : {1u, 7u, 18u, 128u, 4096u}) {
    std::vector<BYTE> bytes(size);
    for (BYTE& byte : bytes) byte = static_cast<BYTE>(random());
    SCOPED_TRACE(size);
    ExpectRefused(bytes);
  }
}

TEST_F(UnrecognisedBytes, DecodingKeepsTheCallersLocaleToo) {
  const std::vector<std::uint8_t> file = SmallPng();
  DecodedImage image;
  ASSERT_EQ(S_OK, image.LoadFromMemory(file.data(), static_cast<UINT>(file.size()), nullptr,
                                       true));
  EXPECT_STREQ(callerLocale.c_str(), std::setlocale(LC_NUMERIC, nullptr));
}

// Owned pixels of `size` bytes; the leak checker notices any block not given back.
BYTE* OwnedPixels(DecodedImage& image, std::size_t size) {
  image.pixels = static_cast<BYTE*>(AllocateBytes(size));
  image.ownsPixels = TRUE;
  return image.pixels;
}

TEST(DecodedImageTree, DestroyingTheHeadFreesEveryLevelAndFace) {
  DecodedImage head;
  OwnedPixels(head, 64);
  head.palette = static_cast<PALETTEENTRY*>(AllocateBytes(256 * sizeof(PALETTEENTRY)));
  head.ownsPalette = TRUE;
  DecodedImage* face = &head;
  for (int f = 0; f < 6; ++f) {
    DecodedImage* level = face;
    for (int l = 1; l < 3; ++l) {
      level->nextLevel = DecodedImage::NewChained();
      level = level->nextLevel;
      OwnedPixels(*level, 16);
    }
    if (f < 5) {
      face->nextFace = DecodedImage::NewChained();
      face = face->nextFace;
      OwnedPixels(*face, 64);
    }
  }
  EXPECT_EQ(3u, head.LevelCount());
  EXPECT_EQ(6u, head.FaceCount());
  EXPECT_EQ(3u, DescribeImage(head).MipLevels);
}

TEST(DecodedImageTree, BorrowedPixelsStayWithTheirOwner) {
  BYTE fileBytes[16] = {};
  DecodedImage head;
  head.format = D3DFMT_L8;
  head.width = 4;
  head.pixels = fileBytes;
  head.nextLevel = DecodedImage::NewChained();
  OwnedPixels(*head.nextLevel, 4);
  head.Empty();
  EXPECT_EQ(nullptr, head.pixels);
  EXPECT_EQ(nullptr, head.nextLevel);
  EXPECT_FALSE(head.ownsPixels);
  // Emptying forgets the pixels and chains, not the description.
  EXPECT_EQ(D3DFMT_L8, head.format);
  EXPECT_EQ(4u, head.width);
}

TEST(DecodedImageTree, ChainsOfAMillionRecordsAreFreedWithoutRecursion) {
  DecodedImage head;
  DecodedImage* level = &head;
  for (int i = 0; i < 1000000; ++i) {
    level->nextLevel = DecodedImage::NewChained();
    ASSERT_NE(nullptr, level->nextLevel);
    level = level->nextLevel;
  }
  head.Empty();
  EXPECT_EQ(nullptr, head.nextLevel);

  // Faces chained to faces, each with a level and owned pixels of its own.
  DecodedImage* comb = DecodedImage::NewChained();
  DecodedImage* face = comb;
  for (int i = 0; i < 500000; ++i) {
    face->nextLevel = DecodedImage::NewChained();
    OwnedPixels(*face->nextLevel, 1);
    face->nextFace = DecodedImage::NewChained();
    face = face->nextFace;
  }
  DecodedImage::DestroyChained(comb);
}

}  // namespace
