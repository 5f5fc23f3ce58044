// The tile picture res/tileimage.png and the tile values the maps use.
//
// The map drawing reads tile value v from column v mod (picture width / 64) and row
// v / (picture width / 64) of 128 x 128 frames. The picture is 1024 x 384: the lookup sees 16
// columns, of which only 0 to 7 lie inside the picture, so the usable values are those with
// v mod 16 in 0..7 and v / 16 in 0..2. res/README.md describes what each frame shows.
#pragma once

#include <cstdint>

constexpr int32_t kTilePictureWidth = 1024;   // pixels
constexpr int32_t kTilePictureHeight = 384;   // pixels
constexpr int32_t kTileFrameSize = 128;       // pixels, square
constexpr int32_t kTileLookupColumns = kTilePictureWidth / 64;  // by the grid's 64, not 128

// Row 0: floors.
constexpr int32_t kGrass = 1;
constexpr int32_t kFlowerGrass = 2;
constexpr int32_t kDirtPath = 3;
constexpr int32_t kSand = 4;
constexpr int32_t kPaving = 5;
constexpr int32_t kBridge = 6;
constexpr int32_t kMire = 7;
// Row 1: more floors, and water beds.
constexpr int32_t kWater = 16;
constexpr int32_t kMirePool = 17;
constexpr int32_t kMossPaving = 18;
constexpr int32_t kArenaStone = 19;
constexpr int32_t kArenaRune = 20;
constexpr int32_t kDryGrass = 21;
constexpr int32_t kGravel = 22;
constexpr int32_t kBoardwalk = 23;
// Row 2: obstacles of the occupancy layer.
constexpr int32_t kOak = 32;
constexpr int32_t kPine = 33;
constexpr int32_t kBoulder = 34;
constexpr int32_t kBush = 35;
constexpr int32_t kRuinedWall = 36;
constexpr int32_t kPillar = 37;
constexpr int32_t kRipples = 38;   // over water: mostly transparent, keeps walkers out
constexpr int32_t kDeadTree = 39;

// The frame's top-left pixel in the picture for tile value v > 0, by the drawing's lookup
// (64 bits: a map file may hold any int32).
constexpr int64_t TileFrameLeft(int32_t v) {
  return int64_t{kTileFrameSize} * (v % kTileLookupColumns);
}
constexpr int64_t TileFrameTop(int32_t v) {
  return int64_t{kTileFrameSize} * (v / kTileLookupColumns);
}

// True when tile value v selects a frame that lies whole inside the picture.
constexpr bool IsTileInPicture(int32_t v) {
  return v > 0 && TileFrameLeft(v) + kTileFrameSize <= kTilePictureWidth &&
         TileFrameTop(v) + kTileFrameSize <= kTilePictureHeight;
}
