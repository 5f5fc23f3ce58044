// MoveObject: continuous moves, collision per cell, the marker that follows the actor.
#include <cmath>
#include <limits>

#include "game/movement.h"
#include "tests/game/world_fixture.h"

namespace {

class MoveObjectTest : public WorldTest {};

TEST_F(MoveObjectTest, AMoveIntoAFreeCellCarriesTheMarker) {
  GameObject& e = PlaceEnemy(20, 10.9f, 5.5f);
  ASSERT_EQ(occupancy[5][10], -20);
  MoveObject(20, 2, 0.15f);
  EXPECT_FLOAT_EQ(e.x, 11.05f);
  EXPECT_EQ(occupancy[5][10], 0);
  EXPECT_EQ(occupancy[5][11], -20);
}

TEST_F(MoveObjectTest, MovesInsideTheOwnCellAndAlongEveryDirectionCode) {
  const float dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  const float dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  for (int d = 0; d < 8; ++d) {
    GameObject& e = PlaceEnemy(21, 10.5f, 10.5f);
    MoveObject(21, d, 0.25f);
    EXPECT_FLOAT_EQ(e.x, 10.5f + 0.25f * dx[d]) << "code " << d;
    EXPECT_FLOAT_EQ(e.y, 10.5f + 0.25f * dy[d]) << "code " << d;
    EXPECT_EQ(occupancy[10][10], -21);
  }
}

TEST_F(MoveObjectTest, ObstaclesAndOtherActorsStopIt) {
  GameObject& e = PlaceEnemy(20, 10.9f, 5.5f);
  occupancy[5][11] = 34;
  MoveObject(20, 2, 0.15f);
  EXPECT_FLOAT_EQ(e.x, 10.9f);
  EXPECT_EQ(occupancy[5][11], 34);
  occupancy[5][11] = -1;  // the hero's marker
  MoveObject(20, 2, 0.15f);
  EXPECT_FLOAT_EQ(e.x, 10.9f);
  EXPECT_EQ(occupancy[5][10], -20);
}

TEST_F(MoveObjectTest, ForeignMarkersOutsideTheTableBlockLikeAnyValue) {
  GameObject& e = PlaceEnemy(20, 10.9f, 5.9f);
  occupancy[5][11] = -500;
  occupancy[6][10] = std::numeric_limits<int32_t>::min();
  MoveObject(20, 2, 0.15f);
  MoveObject(20, 4, 0.15f);
  EXPECT_FLOAT_EQ(e.x, 10.9f);
  EXPECT_FLOAT_EQ(e.y, 5.9f);
  EXPECT_EQ(occupancy[5][11], -500);
  EXPECT_EQ(occupancy[6][10], std::numeric_limits<int32_t>::min());
}

TEST_F(MoveObjectTest, TheGridsEdgesStopTheHero) {
  GameObject& hero = PlaceHero(31.9f, 5.5f);
  MoveObject(heroIndex, 2, 0.15f);
  EXPECT_FLOAT_EQ(hero.x, 31.9f) << "32.05 is off the grid";
  EXPECT_EQ(occupancy[5][31], 0) << "a refused move writes no marker";
  hero.x = 0.1f;
  MoveObject(heroIndex, 6, 0.15f);
  EXPECT_FLOAT_EQ(hero.x, 0.1f);
  hero.y = 0.1f;
  MoveObject(heroIndex, 0, 0.15f);
  EXPECT_FLOAT_EQ(hero.y, 0.1f);
  hero.y = 31.95f;
  MoveObject(heroIndex, 4, 0.15f);
  EXPECT_FLOAT_EQ(hero.y, 31.95f);
}

TEST_F(MoveObjectTest, StepsThatAreNotNumbersAreRefused) {
  GameObject& e = PlaceEnemy(20, 10.5f, 5.5f);
  MoveObject(20, 2, std::numeric_limits<float>::quiet_NaN());
  MoveObject(20, 4, std::numeric_limits<float>::infinity());
  EXPECT_FLOAT_EQ(e.x, 10.5f);
  EXPECT_FLOAT_EQ(e.y, 5.5f);
}

TEST_F(MoveObjectTest, AZeroStepRewritesTheMarkerWhenTheCellIsFreeOrOwn) {
  GameObject& e = PlaceEnemy(20, 10.5f, 5.5f);
  occupancy[5][10] = 0;
  MoveObject(20, 2, 0.0f);
  EXPECT_EQ(occupancy[5][10], -20);
  occupancy[5][10] = -21;  // another actor took the cell
  MoveObject(20, 4, 0.0f);
  EXPECT_EQ(occupancy[5][10], -21);
  EXPECT_FLOAT_EQ(e.x, 10.5f);
}

TEST_F(MoveObjectTest, ACodeOutsideTheTableKeepsThePosition) {
  GameObject& e = PlaceEnemy(20, 10.5f, 5.5f);
  MoveObject(20, 8, 0.5f);
  MoveObject(20, -1, 0.5f);
  EXPECT_FLOAT_EQ(e.x, 10.5f);
  EXPECT_FLOAT_EQ(e.y, 5.5f);
  EXPECT_EQ(occupancy[5][10], -20);
}

TEST_F(MoveObjectTest, AfterAKnockBackTheOldMarkerStaysBehindAndTheCurrentCellIsCleared) {
  GameObject& e = PlaceEnemy(20, 10.5f, 5.5f);
  e.x += 1.0f;            // knocked into (11, 5), which holds a rock
  occupancy[5][11] = 34;
  MoveObject(20, 4, 0.6f);  // into (11, 6)
  EXPECT_FLOAT_EQ(e.y, 6.1f);
  EXPECT_EQ(occupancy[5][10], -20) << "the lagging marker keeps blocking its cell";
  EXPECT_EQ(occupancy[5][11], 0) << "the rock under the actor was cleared";
  EXPECT_EQ(occupancy[6][11], -20);
}

TEST_F(MoveObjectTest, KnockedOffTheGridOnlyAStepBackOntoItSucceeds) {
  GameObject& e = PlaceEnemy(20, 0.5f, 5.5f);
  e.x = -0.8f;  // trunc(-0.8) is 0: still counted as cell 0
  MoveObject(20, 2, 0.5f);
  EXPECT_FLOAT_EQ(e.x, -0.8f) << "-0.3 is off the grid";
  MoveObject(20, 2, 1.0f);
  EXPECT_FLOAT_EQ(e.x, 0.2f);
  EXPECT_EQ(occupancy[5][0], -20);

  e.x = -1.5f;  // cell -1: nothing to clear
  occupancy[5][0] = 34;
  MoveObject(20, 2, 2.0f);
  EXPECT_FLOAT_EQ(e.x, -1.5f) << "(0, 5) holds a rock";
  occupancy[5][0] = 0;
  MoveObject(20, 2, 2.0f);
  EXPECT_FLOAT_EQ(e.x, 0.5f);
  EXPECT_EQ(occupancy[5][0], -20);

  e.x = 40.0f;
  occupancy[5][31] = 7;
  MoveObject(20, 6, 8.5f);
  EXPECT_FLOAT_EQ(e.x, 40.0f) << "(31, 5) holds a tile";
  occupancy[5][31] = 0;
  MoveObject(20, 6, 8.5f);
  EXPECT_FLOAT_EQ(e.x, 31.5f);
  EXPECT_EQ(occupancy[5][31], -20);
  EXPECT_EQ(occupancy[5][0], -20) << "off the grid there was no old cell to clear";
}

TEST_F(MoveObjectTest, AnUnmarkedActorsFirstMoveClearsTheCellItStandsIn) {
  PlaceHero(10.5f, 5.5f);  // entered the map unmarked
  PlaceEnemy(20, 10.2f, 5.2f);
  ASSERT_EQ(occupancy[5][10], -20);
  MoveObject(heroIndex, 2, 0.6f);
  EXPECT_EQ(occupancy[5][10], 0) << "the enemy's marker went with the hero's old cell";
  EXPECT_EQ(occupancy[5][11], -1);
}

TEST_F(MoveObjectTest, OutOfTableActorsAreIgnored) {
  MoveObject(-1, 2, 0.1f);
  MoveObject(200, 2, 0.1f);
  MeasureHeroDistance(-7);
  MeasureHeroDistance(1000);
  for (auto& row : occupancy)
    for (int32_t cell : row) ASSERT_EQ(cell, 0);
}

}  // namespace
