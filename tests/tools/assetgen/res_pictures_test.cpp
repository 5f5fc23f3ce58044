// The 21 committed pictures of res/ as the game loads them: sizes that fit the sheet table,
// transparent pixels that carry the colour key exactly with nothing close to it, figures whose
// feet stand on the anchor, floors that fill their diamond, and strips that move.
#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/sheet_table.h"
#include "game/tile_catalog.h"
#include "tests/tools/assetgen/picture_reader.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/png_writer.h"

namespace {

constexpr int kFramesPerRow = 8;

Rgba KeyOf(const SheetRow& row) {
  return Rgba{uint8_t(row.colorKey >> 16), uint8_t(row.colorKey >> 8), uint8_t(row.colorKey),
              255};
}

bool IsScreen(const SheetRow& row) {
  return row.index == kCoverSheet || row.index == kStorySheet || row.index == kLostSheet ||
         row.index == kWonSheet;
}

bool IsActor(const SheetRow& row) { return row.index != kTileSheet && !IsScreen(row); }

// Within the clearance on every channel, and not the key itself: a fringe.
bool NearKey(Rgba p, Rgba key) {
  return p != key && std::abs(p.r - key.r) <= kKeyClearance &&
         std::abs(p.g - key.g) <= kKeyClearance && std::abs(p.b - key.b) <= kKeyClearance;
}

// A frame of a strip or of the tile picture, with the key as its transparent colour.
struct Frame {
  const FilePicture* picture;
  int left, top;
  Rgba key;

  bool Opaque(int x, int y) const { return picture->At(left + x, top + y) != key; }
  Rgba At(int x, int y) const { return picture->At(left + x, top + y); }
  bool Empty() const {
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        if (Opaque(x, y)) return false;
    return true;
  }
  bool operator==(const Frame& other) const {
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        if (At(x, y) != other.At(x, y)) return false;
    return true;
  }
};

Frame FrameOf(const FilePicture& picture, const SheetRow& row, int index) {
  const int columns = picture.width / row.frameWidth;
  return Frame{&picture, (index % columns) * row.frameWidth, (index / columns) * row.frameHeight,
               KeyOf(row)};
}

std::vector<SheetRow> Rows(bool (*wanted)(const SheetRow&)) {
  std::vector<SheetRow> rows;
  for (const SheetRow& row : kSheetTable)
    if (wanted(row)) rows.push_back(row);
  return rows;
}

bool AnyRow(const SheetRow&) { return true; }

class SheetPictureTest : public ::testing::TestWithParam<SheetRow> {
 protected:
  void SetUp() override {
    picture_ = ReadPicture(GetParam().file);
    ASSERT_TRUE(picture_.ok) << GetParam().file << " is missing or no PNG";
  }
  FilePicture picture_;
};

TEST_P(SheetPictureTest, SizeFitsTheSheetTable) {
  const SheetRow& row = GetParam();
  if (row.index == kTileSheet) {
    EXPECT_EQ(picture_.width, kTilePictureWidth);
    EXPECT_EQ(picture_.height, kTilePictureHeight);
  } else if (IsScreen(row)) {
    EXPECT_EQ(picture_.width, 640);
    EXPECT_EQ(picture_.height, 480);
  } else {
    // Eight frames to a row, as many rows as the strip needs.
    const int columns = std::min(row.frameCount, kFramesPerRow);
    EXPECT_EQ(picture_.width, columns * row.frameWidth);
    EXPECT_EQ(picture_.height, (row.frameCount + columns - 1) / columns * row.frameHeight);
  }
}

TEST_P(SheetPictureTest, TransparentPixelsAreTheKeyWithNoFringe) {
  const Rgba key = KeyOf(GetParam());
  for (int y = 0; y < picture_.height; ++y) {
    for (int x = 0; x < picture_.width; ++x) {
      const Rgba p = picture_.At(x, y);
      ASSERT_FALSE(NearKey(p, key)) << "pixel (" << x << ", " << y << ") is " << int(p.r) << ","
                                    << int(p.g) << "," << int(p.b) << ", close to the key";
    }
  }
}

class ScreenPictureTest : public SheetPictureTest {};
class ActorStripTest : public SheetPictureTest {};

TEST_P(ScreenPictureTest, OpaqueEverywhere) {
  const Rgba key = KeyOf(GetParam());
  for (int y = 0; y < picture_.height; ++y)
    for (int x = 0; x < picture_.width; ++x)
      ASSERT_NE(picture_.At(x, y), key) << "a hole at (" << x << ", " << y << ")";
}

// Each frame holds a figure clear of the frame's edges, with something at the anchor, whose
// lowest pixels (feet, shadow, dust on the ground) lie at or a little below the anchor's
// height and around its x; frames past the strip's end stay empty.
TEST_P(ActorStripTest, FiguresStandOnTheAnchor) {
  const SheetRow& row = GetParam();
  const int frames = (picture_.width / 128) * (picture_.height / 128);
  for (int i = 0; i < frames; ++i) {
    const Frame f = FrameOf(picture_, row, i);
    if (i >= row.frameCount) {
      EXPECT_TRUE(f.Empty()) << "frame " << i << " lies past the strip's end";
      continue;
    }
    int lowest = -1;
    long sumX = 0, count = 0;
    bool nearAnchor = false;
    for (int y = 0; y < 128; ++y) {
      for (int x = 0; x < 128; ++x) {
        if (!f.Opaque(x, y)) continue;
        ASSERT_TRUE(x > 0 && y > 0 && x < 127 && y < 127)
            << "frame " << i << " touches its edge at (" << x << ", " << y << ")";
        lowest = y;
        if (std::abs(y - row.anchorY) <= 4) {
          sumX += x;
          ++count;
        }
        nearAnchor = nearAnchor || (std::abs(x - row.anchorX) <= 4 && std::abs(y - row.anchorY) <= 4);
      }
    }
    ASSERT_GE(lowest, 0) << "frame " << i << " is empty";
    EXPECT_GE(lowest, row.anchorY - 1) << "frame " << i << " floats above its anchor";
    EXPECT_LE(lowest, row.anchorY + 24) << "frame " << i << " reaches below its anchor";
    EXPECT_TRUE(nearAnchor) << "frame " << i << " has nothing at its anchor";
    ASSERT_GT(count, 0);
    EXPECT_NEAR(double(sumX) / double(count), row.anchorX, 10) << "frame " << i;
  }
}

// Every frame of a strip differs from the one before: the strip moves.
TEST_P(ActorStripTest, MovesFromFrameToFrame) {
  const SheetRow& row = GetParam();
  for (int i = 1; i < row.frameCount; ++i) {
    EXPECT_FALSE(FrameOf(picture_, row, i) == FrameOf(picture_, row, i - 1))
        << "frames " << i - 1 << " and " << i << " are the same";
  }
}

std::string NameOf(const ::testing::TestParamInfo<SheetRow>& info) {
  std::string name = info.param.file;
  name = name.substr(4, name.size() - 8);  // without "res/" and ".png"
  for (char& c : name)
    if (c == '-') c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Res, SheetPictureTest, ::testing::ValuesIn(Rows(AnyRow)), NameOf);
INSTANTIATE_TEST_SUITE_P(Res, ScreenPictureTest, ::testing::ValuesIn(Rows(IsScreen)), NameOf);
INSTANTIATE_TEST_SUITE_P(Res, ActorStripTest, ::testing::ValuesIn(Rows(IsActor)), NameOf);

// --- The tile picture, frame by frame.

constexpr int32_t kFloors[] = {kGrass,     kFlowerGrass, kDirtPath,   kSand,      kPaving,
                               kBridge,    kMire,        kWater,      kMirePool,  kMossPaving,
                               kArenaStone, kArenaRune,  kDryGrass,   kGravel,    kBoardwalk};
constexpr int32_t kObstacles[] = {kOak,        kPine,   kBoulder,  kBush,
                                  kRuinedWall, kPillar, kRipples,  kDeadTree};

class TilePictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    picture_ = ReadPicture(kSheetTable[0].file);
    ASSERT_TRUE(picture_.ok);
    ASSERT_EQ(picture_.width, kTilePictureWidth);
  }
  Frame Tile(int32_t value) const {
    return Frame{&picture_, int(TileFrameLeft(value)), int(TileFrameTop(value)),
                 palette::kTileKey};
  }
  FilePicture picture_;
};

// The cell's floor diamond: corners (64, 96), (96, 112), (64, 128), (32, 112), by pixel centres.
bool InDiamond(int x, int y) {
  return std::abs(2 * x + 1 - 128) * 16 + std::abs(2 * y + 1 - 224) * 32 <= 32 * 32;
}

TEST_F(TilePictureTest, FloorsFillExactlyTheirDiamond) {
  for (int32_t v : kFloors) {
    ASSERT_TRUE(IsTileInPicture(v)) << v;
    const Frame f = Tile(v);
    EXPECT_TRUE(f.Opaque(64, 96)) << "tile " << v << ": no top vertex at (64, 96)";
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        ASSERT_EQ(f.Opaque(x, y), InDiamond(x, y)) << "tile " << v << " at (" << x << ", " << y << ")";
  }
}

TEST_F(TilePictureTest, ObstaclesStandOnTheirCell) {
  for (int32_t v : kObstacles) {
    ASSERT_TRUE(IsTileInPicture(v)) << v;
    const Frame f = Tile(v);
    int inDiamond = 0, total = 0;
    for (int y = 0; y < 128; ++y) {
      for (int x = 0; x < 128; ++x) {
        if (!f.Opaque(x, y)) continue;
        ++total;
        if (InDiamond(x, y)) ++inDiamond;
      }
    }
    EXPECT_GT(inDiamond, 0) << "tile " << v << " does not touch its floor";
    if (v == kRipples) {
      EXPECT_LT(total, 128 * 128 / 50) << "ripples must leave the water showing";
    } else {
      EXPECT_TRUE(f.Opaque(64, 110) || f.Opaque(64, 112) || f.Opaque(64, 114))
          << "tile " << v << " has nothing over the cell's middle";
    }
  }
}

TEST_F(TilePictureTest, UnusedFramesAreEmpty) {
  std::vector<bool> used(24, false);
  for (int32_t v : kFloors) used[size_t(v % 16 + v / 16 * 8)] = true;
  for (int32_t v : kObstacles) used[size_t(v % 16 + v / 16 * 8)] = true;
  for (int k = 0; k < 24; ++k) {
    if (used[size_t(k)]) continue;
    const Frame f{&picture_, (k % 8) * 128, (k / 8) * 128, palette::kTileKey};
    EXPECT_TRUE(f.Empty()) << "frame (" << k % 8 << ", " << k / 8 << ") should be empty";
  }
}

// --- The hero's facings: his face shows only when he turns toward the viewer, on the side
// he turns to (facing 2 is down-right, 4 down-left; 0 and 6 turn away).

double MeanEyeX(int facing, int* eyes) {
  const SheetRow& row = kSheetTable[1 + facing / 2];
  const FilePicture picture = ReadPicture(row.file);
  long sum = 0;
  *eyes = 0;
  for (int i = 0; i < row.frameCount; ++i) {
    const Frame f = FrameOf(picture, row, i);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        if (f.At(x, y) == palette::kEye) {
          sum += x;
          ++*eyes;
        }
  }
  return *eyes > 0 ? double(sum) / *eyes : 0;
}

TEST(HeroFacingTest, TheFaceTurnsWithTheFacing) {
  int eyes = 0;
  EXPECT_GT(MeanEyeX(2, &eyes), 64.0);
  EXPECT_GT(eyes, 0);
  EXPECT_LT(MeanEyeX(4, &eyes), 64.0);
  EXPECT_GT(eyes, 0);
  MeanEyeX(0, &eyes);
  EXPECT_EQ(eyes, 0) << "facing 0 walks away from the viewer";
  MeanEyeX(6, &eyes);
  EXPECT_EQ(eyes, 0) << "facing 6 walks away from the viewer";
}

// His right hand holds the sword: on the screen's left while he faces down-right or down-left
// (2, 4), on its right while he turns away up-right or up-left (0, 6).
double MeanSteelX(int facing) {
  const SheetRow& row = kSheetTable[1 + facing / 2];
  const FilePicture picture = ReadPicture(row.file);
  const Ramp& steel = palette::kSteel;
  long sum = 0, count = 0;
  for (int i = 0; i < row.frameCount; ++i) {
    const Frame f = FrameOf(picture, row, i);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) {
        const Rgba p = f.At(x, y);
        if (p == steel.shade || p == steel.base || p == steel.light) {
          sum += x;
          ++count;
        }
      }
  }
  EXPECT_GT(count, 0) << "no blade in facing " << facing;
  return count > 0 ? double(sum) / double(count) : 64;
}

TEST(HeroFacingTest, TheSwordStaysInTheRightHand) {
  EXPECT_LT(MeanSteelX(2), 64.0);
  EXPECT_LT(MeanSteelX(4), 64.0);
  EXPECT_GT(MeanSteelX(0), 64.0);
  EXPECT_GT(MeanSteelX(6), 64.0);
}

}  // namespace

// Names a row in failure messages by its file.
void PrintTo(const SheetRow& row, std::ostream* os) { *os << row.file; }
