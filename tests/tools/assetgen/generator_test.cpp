// The generator against the committed pictures: it names the sheet table's 21 files with
// their keys, draws the same bytes every time, and res/ holds what it draws now (a change to
// the drawing without `make assets` shows here).
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/sheet_table.h"
#include "tests/tools/assetgen/picture_reader.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/pictures.h"
#include "tools/assetgen/png_writer.h"

namespace {

class GeneratorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { drawn_ = new std::vector<PictureFile>(DrawAllPictures()); }
  static void TearDownTestSuite() {
    delete drawn_;
    drawn_ = nullptr;
  }
  static std::vector<PictureFile>* drawn_;
};

std::vector<PictureFile>* GeneratorTest::drawn_ = nullptr;

TEST_F(GeneratorTest, DrawsTheSheetTablesFilesWithTheirKeys) {
  ASSERT_EQ(drawn_->size(), size_t(kSheetRowCount));
  for (int i = 0; i < kSheetRowCount; ++i) {
    const SheetRow& row = kSheetTable[i];
    const PictureFile& p = (*drawn_)[size_t(i)];
    EXPECT_EQ("res/" + p.file, row.file);
    EXPECT_EQ(p.key, Hex(row.colorKey & 0xFFFFFF)) << p.file;
  }
}

TEST_F(GeneratorTest, DrawsTheSameBytesEveryTime) {
  const std::vector<PictureFile> again = DrawAllPictures();
  ASSERT_EQ(again.size(), drawn_->size());
  for (size_t i = 0; i < again.size(); ++i) {
    const std::vector<uint8_t> first = EncodePng((*drawn_)[i].picture, (*drawn_)[i].key);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, EncodePng(again[i].picture, again[i].key)) << again[i].file;
  }
}

TEST_F(GeneratorTest, CommittedPicturesAreUpToDate) {
  for (const PictureFile& p : *drawn_) {
    const FilePicture committed = ReadPicture("res/" + p.file);
    ASSERT_TRUE(committed.ok) << "res/" << p.file << " is missing";
    ASSERT_EQ(committed.width, p.picture.width()) << p.file;
    ASSERT_EQ(committed.height, p.picture.height()) << p.file;
    size_t differing = 0;
    for (size_t i = 0; i < committed.pixels.size(); ++i) {
      const Rgba drawn = p.picture.pixels()[i];
      const Rgba written = drawn.opaque() ? KeepClearOfKey(drawn, p.key) : p.key;
      differing += committed.pixels[i] != written;
    }
    EXPECT_EQ(differing, 0u) << "res/" << p.file
                             << " is not what the generator draws; run `make assets`";
  }
}

// --- Writing: the key where the picture is clear, and no drawn pixel close to it.

bool Clear(Rgba c, Rgba key) {
  return std::abs(c.r - key.r) > kKeyClearance || std::abs(c.g - key.g) > kKeyClearance ||
         std::abs(c.b - key.b) > kKeyClearance;
}

TEST(PngWriterTest, PushesColoursNearTheKeyAway) {
  const Rgba brown = palette::kActorKey, black = palette::kTileKey;
  const Rgba nearBrown = Hex(0x6E4A36), nearBlack = Hex(0x0A0C08);
  EXPECT_TRUE(Clear(KeepClearOfKey(nearBrown, brown), brown));
  EXPECT_TRUE(Clear(KeepClearOfKey(nearBlack, black), black));
  EXPECT_TRUE(Clear(KeepClearOfKey(brown, brown), brown)) << "an opaque pixel of the key's colour";
  EXPECT_EQ(KeepClearOfKey(Hex(0x4A8AE8), brown), Hex(0x4A8AE8)) << "far colours stay";
  EXPECT_EQ(KeepClearOfKey(Hex(0x1C1822), black), Hex(0x1C1822));
}

TEST(PngWriterTest, WritesTheKeyForClearPixels) {
  Canvas c(3, 2);
  c.Set(0, 0, Hex(0x4A8AE8));
  c.Set(1, 0, palette::kActorKey);  // drawn, so it must not vanish with the key
  const FilePicture p = ReadPicture(EncodePng(c, palette::kActorKey));
  ASSERT_TRUE(p.ok);
  ASSERT_EQ(p.width, 3);
  ASSERT_EQ(p.height, 2);
  EXPECT_EQ(p.At(0, 0), Hex(0x4A8AE8));
  EXPECT_NE(p.At(1, 0), palette::kActorKey);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(p.At(x, 1), palette::kActorKey);
  EXPECT_EQ(p.At(2, 0), palette::kActorKey);
}

}  // namespace
