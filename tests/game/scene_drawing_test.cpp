#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/scene.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "tests/game/scene_fixture.h"

namespace {

// Opaque texels that tell where they come from: red = x and green = y within their frame.
uint32_t Marked(UINT x, UINT y) { return 0xFF000000u | (x % 256) << 16 | (y % 256) << 8 | 0x5A; }

class SceneDrawingTest : public SceneTest {
 protected:
  // A managed texture of width x height, transparent black but for the frame at (left, top)
  // of frameSize x frameSize, which holds Marked texels.
  IDirect3DTexture9* MakeSheetTexture(UINT width, UINT height, UINT left, UINT top,
                                      UINT frameSize) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                    &texture, nullptr),
              S_OK);
    D3DLOCKED_RECT locked = {};
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                              size_t(y) * locked.Pitch);
      for (UINT x = 0; x < width; ++x) {
        const bool inFrame = x >= left && x < left + frameSize && y >= top && y < top + frameSize;
        row[x] = inFrame ? Marked(x - left, y - top) : 0;
      }
    }
    texture->UnlockRect(0);
    return texture;
  }

  // The tile picture's sheet as loading it would leave it, with frame v of 16 lookup columns
  // marked.
  void GiveTileSheet(int32_t v, int32_t imageWidth = 1024) {
    SpriteSheet& tiles = sheets[kTileSheet];
    tiles.texture = MakeSheetTexture(1024, 512, 128 * (v % 16), 128 * (v / 16), 128);
    tiles.imageWidth = imageWidth;
    tiles.imageHeight = 384;
  }

  void GiveStripSheet(int32_t s) {
    sheets[s].texture = MakeSheetTexture(1024, 256, 0, 0, 128);
  }

  std::vector<std::string> DrawCalls() const {
    return Calls({"Clear", "BeginScene", "IDirect3DStateBlock9::Capture",
                  "IDirect3DStateBlock9::Apply", "DrawIndexedPrimitive", "DrawPrimitiveUP",
                  "EndScene", "Present"});
  }
};

TEST_F(SceneDrawingTest, TileZeroZeroPutsItsAnchorOnTheScreensCorner) {
  GiveTileSheet(3);
  ground[0][0] = 3;
  ASSERT_EQ(cameraLeft, 0);
  ASSERT_EQ(cameraTop, 0);
  DrawMapFrame();
  // Frame point (64, 96) on pixel (0, 0), texel for pixel.
  EXPECT_EQ(PresentedPixel(0, 0), Marked(64, 96) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(1, 0), Marked(65, 96) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(63, 31), Marked(127, 127) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(64, 31), 0u) << "the frame ends at its right edge";
  EXPECT_EQ(PresentedPixel(20, 32), 0u) << "and at its bottom edge";
}

TEST_F(SceneDrawingTest, TheNeighbouringCellsLieHalfATileRightAndLeftDown) {
  GiveTileSheet(1);
  ground[0][1] = 1;  // column 1, row 0: corner at (32, 16)
  cameraLeft = -100;
  cameraTop = -100;
  DrawMapFrame();
  EXPECT_EQ(PresentedPixel(132, 116), Marked(64, 96) & 0xFFFFFF);
  ground[0][1] = 0;
  ground[1][0] = 1;  // column 0, row 1: corner at (-32, 16)
  DrawMapFrame();
  EXPECT_EQ(PresentedPixel(68, 116), Marked(64, 96) & 0xFFFFFF);
}

TEST_F(SceneDrawingTest, TheHeroStandsOnTheScreensCentre) {
  GiveStripSheet(2);
  PlaceHero(25, 25);
  occupancy[25][25] = -heroIndex;
  UpdateWorld();
  DrawMapFrame();
  // His strip's point (64, 90) on (320, 240); his bar covers the rows 270 to 279.
  EXPECT_EQ(PresentedPixel(320, 240), Marked(64, 90) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(256, 150), Marked(0, 0) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(383, 277), Marked(127, 127) & 0xFFFFFF);
}

TEST_F(SceneDrawingTest, TheScreenPictureCoversTheScreenFromItsTopLeft) {
  sheets[kCoverSheet].texture = MakeSheetTexture(1024, 512, 0, 0, 640);
  DrawScreenPicture(kCoverSheet);
  EXPECT_EQ(PresentedPixel(0, 0), Marked(0, 0) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(639, 479), Marked(639, 479) & 0xFFFFFF);
  EXPECT_EQ(PresentedPixel(300, 200), Marked(300, 200) & 0xFFFFFF);
}

TEST_F(SceneDrawingTest, WhatCannotBeDrawnDrawsNothing) {
  for (int32_t r = 0; r < kMapSize; ++r) {
    for (int32_t c = 0; c < kMapSize; ++c) ground[r][c] = 1;
  }
  // Markers of records that are not alive or lie outside the table, and a dead enemy.
  occupancy[3][4] = -kObjectCount;
  occupancy[3][5] = INT_MIN;
  occupancy[3][6] = -250;
  occupancy[3][7] = -7;
  PlaceEnemy(20, 8, 3, 0);
  objects[20].alive = false;
  GiveStripSheet(11);
  cameraLeft = -320;
  cameraTop = 0;

  DrawMapFrame();  // no tile picture at all
  EXPECT_EQ(LitPixels(), 0);
  EXPECT_TRUE(setup->CallsNamed("DrawIndexedPrimitive").empty());

  GiveTileSheet(1, 63);  // narrower than one grid column: no lookup columns
  DrawMapFrame();
  EXPECT_EQ(LitPixels(), 0);
  EXPECT_TRUE(setup->CallsNamed("DrawIndexedPrimitive").empty());

  sheets[kTileSheet].imageWidth = 1024;  // the same map with the picture: drawn
  DrawMapFrame();
  EXPECT_GT(LitPixels(), 0);

  DrawScreenPicture(kWonSheet);  // never loaded
  EXPECT_EQ(LitPixels(), 0);
  DrawScreenPicture(-1);
  DrawScreenPicture(kSheetCount);
  EXPECT_EQ(LitPixels(), 0);
}

TEST_F(SceneDrawingTest, AMapFrameIssuesItsDeviceCallsInOrder) {
  GiveTileSheet(1);
  GiveStripSheet(2);
  for (int32_t r = 0; r < kMapSize; ++r) {
    for (int32_t c = 0; c < kMapSize; ++c) ground[r][c] = 1;
  }
  PlaceHero(25, 25);
  occupancy[25][25] = -heroIndex;
  UpdateWorld();
  DrawMapFrame();

  const std::vector<std::string> calls = DrawCalls();
  ASSERT_GE(calls.size(), 12u);
  EXPECT_EQ(calls[0], "Clear");
  EXPECT_EQ(calls[1], "BeginScene");
  // The sprite batch: its states taken at Begin, the map drawn, its states put back at End.
  size_t k = 2;
  EXPECT_EQ(calls[k], "IDirect3DStateBlock9::Capture");
  while (k < calls.size() && calls[k] != "DrawIndexedPrimitive") ++k;
  ASSERT_LT(k, calls.size()) << "the map is drawn";
  while (k < calls.size() && calls[k] == "DrawIndexedPrimitive") ++k;
  ASSERT_LT(k, calls.size());
  EXPECT_EQ(calls[k], "IDirect3DStateBlock9::Apply") << "End restores before the bars";
  const std::vector<std::string> tail(calls.end() - 8, calls.end());
  const std::vector<std::string> bars = {"DrawPrimitiveUP", "DrawPrimitiveUP", "DrawPrimitiveUP",
                                         "DrawPrimitiveUP", "DrawPrimitiveUP", "DrawPrimitiveUP",
                                         "EndScene",        "Present"};
  EXPECT_EQ(tail, bars);
  EXPECT_NE(PresentedPixel(300, 275), 0u) << "the bar after the batch, with the bar states";
}

TEST_F(SceneDrawingTest, AScreenPictureIsOneSpriteBatchBetweenClearAndPresent) {
  sheets[kStorySheet].texture = MakeSheetTexture(1024, 512, 0, 0, 640);
  DrawScreenPicture(kStorySheet);
  const std::vector<std::string> calls =
      Calls({"Clear", "BeginScene", "DrawIndexedPrimitive", "DrawPrimitiveUP", "EndScene",
             "Present"});
  const std::vector<std::string> expected = {"Clear", "BeginScene", "DrawIndexedPrimitive",
                                             "EndScene", "Present"};
  EXPECT_EQ(calls, expected);
  const std::vector<d3d9::CallRecord> clears = setup->CallsNamed("Clear");
  ASSERT_EQ(clears.size(), 1u);
  EXPECT_EQ(clears[0].arguments[2], D3DCLEAR_TARGET);
  EXPECT_EQ(clears[0].arguments[3], 0xFF000000);
}

}  // namespace
