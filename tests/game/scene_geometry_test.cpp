#include <climits>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "game/scene_geometry.h"
#include "game/world.h"
#include "tests/game/world_fixture.h"

namespace {

using SceneGeometryTest = WorldTest;

void ExpectPoint(ScreenPoint actual, float x, float y) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
}

TEST_F(SceneGeometryTest, TileCornersFollowTheIsometricGrid) {
  ExpectPoint(TileScreenPoint(0, 0), 0, 0);
  ExpectPoint(TileScreenPoint(1, 0), 32, 16);
  ExpectPoint(TileScreenPoint(0, 1), -32, 16);
  ExpectPoint(TileScreenPoint(31, 31), 0, 992);
  cameraLeft = -320;
  cameraTop = 560;
  ExpectPoint(TileScreenPoint(25, 25), 320, 240);
}

TEST_F(SceneGeometryTest, TheHeroStandsAtTheScreenCentre) {
  PlaceHero(25, 25);
  UpdateWorld();  // the camera follows him
  EXPECT_EQ(cameraLeft, -320);
  EXPECT_EQ(cameraTop, 560);
  ExpectPoint(ActorScreenPoint(25, 25), 320, 240);
  PlaceHero(3.7f, 12.2f);
  UpdateWorld();
  const ScreenPoint hero = ActorScreenPoint(3.7f, 12.2f);
  EXPECT_NEAR(hero.x, 320, 1);
  EXPECT_NEAR(hero.y, 240, 1);
}

TEST_F(SceneGeometryTest, ActorsTruncateTowardZeroButBarsKeepTheFraction) {
  ExpectPoint(ActorScreenPoint(0.3f, 0), 9, 4);      // 9.6, 4.8
  ExpectPoint(ActorScreenPoint(0, 0.3f), -9, 4);     // -9.6 goes to -9, not -10
  ExpectPoint(ActorScreenPoint(-0.3f, 0), -9, -4);
  const ScreenPoint bar = BarScreenPoint(0.3f, 0);
  EXPECT_FLOAT_EQ(bar.x, 9.6f);
  EXPECT_FLOAT_EQ(bar.y, 4.8f);
}

TEST_F(SceneGeometryTest, TilesComeFromTheirColumnAndRowOfFrames) {
  EXPECT_EQ(TileLookupColumns(1024), 16) << "by the grid's 64, not the frame's 128";
  EXPECT_EQ(TileLookupColumns(640), 10);
  EXPECT_EQ(TileLookupColumns(63), 0);
  EXPECT_EQ(TileLookupColumns(0), 0);

  RECT rect{};
  ASSERT_TRUE(TileSourceRect(1, 16, 128, 128, &rect));
  EXPECT_EQ(rect.left, 128);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 256);
  EXPECT_EQ(rect.bottom, 128);
  ASSERT_TRUE(TileSourceRect(34, 16, 128, 128, &rect));
  EXPECT_EQ(rect.left, 256);
  EXPECT_EQ(rect.top, 256);
  // A picture 640 wide: values 1 to 9 all lie in the top row.
  ASSERT_TRUE(TileSourceRect(9, 10, 128, 128, &rect));
  EXPECT_EQ(rect.left, 1152);
  EXPECT_EQ(rect.top, 0);
}

TEST_F(SceneGeometryTest, ImpossibleTilesSelectNothing) {
  RECT rect{1, 2, 3, 4};
  EXPECT_FALSE(TileSourceRect(5, 0, 128, 128, &rect)) << "no picture: no columns";
  EXPECT_FALSE(TileSourceRect(0, 16, 128, 128, &rect));
  EXPECT_FALSE(TileSourceRect(-3, 16, 128, 128, &rect));
  EXPECT_FALSE(TileSourceRect(INT_MAX, 1, 128, 128, &rect)) << "beyond a RECT's range";
  EXPECT_FALSE(TileSourceRect(15, 16, INT_MAX, 128, &rect));
  EXPECT_EQ(rect.left, 1) << "left alone";
}

TEST_F(SceneGeometryTest, ActorAlphaIsTheTruncatedOpacity) {
  EXPECT_EQ(ActorColour(1.0f), 0xFFFFFFFFu);
  EXPECT_EQ(ActorColour(0.5f), 0x7FFFFFFFu);
  EXPECT_EQ(ActorColour(0.0f), 0x00FFFFFFu);
  EXPECT_EQ(ActorColour(2.0f), 0xFEFFFFFFu) << "510 & 0xFF";
  EXPECT_EQ(ActorColour(-1.0f), 0x01FFFFFFu) << "-255 & 0xFF";
  EXPECT_EQ(ActorColour(1e30f), 0x00FFFFFFu);
  EXPECT_EQ(ActorColour(std::numeric_limits<float>::quiet_NaN()), 0x00FFFFFFu);
}

TEST_F(SceneGeometryTest, BarsSpanTheirHealthFromTheLeftEnd) {
  BarVertex quad[4];
  HealthBarQuad({320, 240}, 15, 20, 40, quad);
  const float expected[4][2] = {{300, 280}, {300, 270}, {330, 270}, {330, 280}};
  const D3DCOLOR colours[4] = {0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF};
  for (int v = 0; v < 4; ++v) {
    EXPECT_EQ(quad[v].x, expected[v][0]) << v;
    EXPECT_EQ(quad[v].y, expected[v][1]) << v;
    EXPECT_EQ(quad[v].z, 0.0f);
    EXPECT_EQ(quad[v].rhw, 0.0f);
    EXPECT_EQ(quad[v].colour, colours[v]);
  }
  HealthBarQuad({0, 0}, INT_MAX, 20, 0, quad);
  EXPECT_GT(quad[2].x, 4e9f) << "2h is worked out without overflow";
}

TEST_F(SceneGeometryTest, TheSweepGoesBackToFrontAndLeftToRight) {
  std::vector<std::pair<int32_t, int32_t>> cells;
  SweepCellsBackToFront([&](int32_t c, int32_t r) { cells.emplace_back(c, r); });
  ASSERT_EQ(cells.size(), 1024u);
  EXPECT_EQ(cells[0], std::make_pair(0, 0));
  EXPECT_EQ(cells[1], std::make_pair(0, 1));
  EXPECT_EQ(cells[2], std::make_pair(1, 0));
  EXPECT_EQ(cells.back(), std::make_pair(31, 31));
  for (size_t k = 1; k < cells.size(); ++k) {
    const ScreenPoint before = TileScreenPoint(cells[k - 1].first, cells[k - 1].second);
    const ScreenPoint now = TileScreenPoint(cells[k].first, cells[k].second);
    // Down the screen row by row; within a row (one diagonal) from left to right.
    EXPECT_TRUE(now.y > before.y || (now.y == before.y && now.x > before.x)) << k;
  }
}

}  // namespace
