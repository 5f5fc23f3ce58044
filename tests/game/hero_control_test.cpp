// ControlHero: arrow keys in order, each with strip, move and facing; Space with a blow at
// every enemy record in reach.
#include <vector>

#include "game/animation.h"
#include "game/hero.h"
#include "platform/win32/window.h"
#include "tests/game/world_fixture.h"

namespace {

class ControlHeroTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    frameTime = 1000;
    PlaceHero(10.5f, 10.5f);
  }
  // One frame of the hero alone: control, then the animation step of the world update.
  void Frame() {
    frameTime += 40;
    ControlHero();
    StepAnimation(heroIndex);
  }
  const GameObject& hero = objects[heroIndex];
};

TEST_F(ControlHeroTest, AHeldArrowShowsAWalkCycleOf25Frames) {
  keys.Set(VK_RIGHT, true);
  std::vector<int32_t> shown{0};  // shown[n]: the frame after n frames
  for (int n = 1; n <= 50; ++n) {
    Frame();
    shown.push_back(hero.frame);
  }
  EXPECT_EQ(hero.sheet, 3);
  for (int n = 1; n <= 23; ++n) EXPECT_EQ(shown[n], n) << "frame " << n;
  EXPECT_EQ(shown[24], 23) << "the last frame is shown twice";
  EXPECT_EQ(shown[25], 0) << "the rewind restarts the clock";
  for (int n = 26; n <= 48; ++n) EXPECT_EQ(shown[n], n - 25) << "frame " << n;
  EXPECT_EQ(shown[49], 23);
  EXPECT_EQ(shown[50], 0);
}

TEST_F(ControlHeroTest, EachKeyMovesAndFacesAlongItsCode) {
  struct Case {
    int key;
    float dx, dy;
    int32_t facing, sheet;
  };
  for (const Case& c : {Case{VK_LEFT, -0.15f, 0, 6, 5}, Case{VK_RIGHT, 0.15f, 0, 2, 3},
                        Case{VK_UP, 0, -0.15f, 0, 2}, Case{VK_DOWN, 0, 0.15f, 4, 4}}) {
    PlaceHero(10.5f, 10.5f);
    keys.ReleaseAll();
    keys.Set(c.key, true);
    Frame();
    EXPECT_FLOAT_EQ(hero.x, 10.5f + c.dx) << "key " << c.key;
    EXPECT_FLOAT_EQ(hero.y, 10.5f + c.dy) << "key " << c.key;
    EXPECT_EQ(hero.facing, c.facing) << "key " << c.key;
    EXPECT_EQ(hero.sheet, c.sheet) << "key " << c.key;
    EXPECT_EQ(occupancy[10][10], -heroIndex);
  }
}

TEST_F(ControlHeroTest, TwoArrowsMakeTwoMovesAndTheLaterKeysStripShowsItsSecondFrame) {
  keys.Set(VK_LEFT, true);
  keys.Set(VK_UP, true);
  for (int n = 0; n < 5; ++n) {
    Frame();
    EXPECT_EQ(hero.sheet, 2);
    EXPECT_EQ(hero.frame, 1) << "frame " << n;
  }
  EXPECT_FLOAT_EQ(hero.x, 10.5f - 5 * 0.15f);
  EXPECT_FLOAT_EQ(hero.y, 10.5f - 5 * 0.15f);
  EXPECT_EQ(hero.facing, 0);
}

TEST_F(ControlHeroTest, LeftAndRightCancelAndFaceRight) {
  keys.Set(VK_LEFT, true);
  keys.Set(VK_RIGHT, true);
  Frame();
  EXPECT_FLOAT_EQ(hero.x, 10.5f);
  EXPECT_EQ(hero.facing, 2);
  EXPECT_EQ(hero.sheet, 3);
}

TEST_F(ControlHeroTest, ARefusedMoveStillTurnsTheHero) {
  objects[heroIndex].x = 31.9f;
  keys.Set(VK_RIGHT, true);
  Frame();
  EXPECT_FLOAT_EQ(hero.x, 31.9f);
  EXPECT_EQ(hero.facing, 2);
  occupancy[9][31] = 32;  // a tree above him
  keys.ReleaseAll();
  keys.Set(VK_UP, true);
  objects[heroIndex].y = 10.05f;
  Frame();
  EXPECT_FLOAT_EQ(hero.y, 10.05f);
  EXPECT_EQ(hero.facing, 0);
}

TEST_F(ControlHeroTest, MovingAndStrikingInOneFrameShowsTheAttackStripsSecondFrame) {
  GameObject& e = PlaceEnemy(20, 11.7f, 10.5f);
  e.heroDistance = 1.2f;
  keys.Set(VK_RIGHT, true);
  keys.Set(VK_SPACE, true);
  Frame();
  EXPECT_EQ(hero.sheet, 7);
  EXPECT_EQ(hero.frame, 1);
  EXPECT_FLOAT_EQ(hero.x, 10.65f);
  EXPECT_EQ(e.health, -5) << "the blow follows the turn of the same frame";
  EXPECT_FLOAT_EQ(e.x, 12.7f);
  Frame();
  EXPECT_EQ(hero.sheet, 7);
  EXPECT_EQ(hero.frame, 1) << "in every such frame";
}

TEST_F(ControlHeroTest, SpaceStrikesEveryRecordInReachOnTheFacedSide) {
  objects[heroIndex].facing = 2;
  GameObject& ahead = PlaceEnemy(20, 11.7f, 10.5f);
  GameObject& behind = PlaceEnemy(21, 9.3f, 10.5f);
  GameObject& alsoAhead = PlaceEnemy(22, 11.0f, 11.4f);
  GameObject& dead = PlaceEnemy(23, 11.2f, 10.0f);
  GameObject& far = PlaceEnemy(24, 11.2f, 10.5f);
  dead.alive = false;
  dead.health = -1;
  ahead.heroDistance = behind.heroDistance = 1.2f;
  alsoAhead.heroDistance = 1.03f;
  dead.heroDistance = 0.86f;
  far.heroDistance = 1.5f;  // measured last frame; it has come nearer since
  keys.Set(VK_SPACE, true);
  Frame();
  EXPECT_EQ(hero.sheet, 7);
  EXPECT_EQ(ahead.health, -5);
  EXPECT_FLOAT_EQ(ahead.x, 12.7f);
  EXPECT_EQ(behind.health, 5);
  EXPECT_FLOAT_EQ(behind.x, 9.3f);
  EXPECT_EQ(alsoAhead.health, -5);
  EXPECT_FLOAT_EQ(alsoAhead.x, 12.0f);
  EXPECT_EQ(dead.health, -11) << "dead records are struck too";
  EXPECT_EQ(far.health, 5);
  EXPECT_EQ(occupancy[11][11], -22) << "a knock-back leaves the marker";
}

TEST_F(ControlHeroTest, SpaceWithAnOddFacingShowsNoStripAndLandsNoBlow) {
  objects[heroIndex].facing = 3;
  GameObject& e = PlaceEnemy(20, 11.0f, 11.0f);
  e.heroDistance = 0.7f;
  keys.Set(VK_SPACE, true);
  Frame();
  EXPECT_EQ(hero.sheet, 2) << "the spawn's strip";
  EXPECT_EQ(e.health, 5);
}

TEST_F(ControlHeroTest, TheStrikeLoopFollowsTheEnemyCount) {
  objects[heroIndex].facing = 2;
  GameObject& last = PlaceEnemy(24, 11.0f, 10.5f);
  last.heroDistance = 0.5f;
  enemyCount = 4;
  keys.Set(VK_SPACE, true);
  Frame();
  EXPECT_EQ(last.health, 5) << "records 20 to 23 only";
  enemyCount = 500;  // a count past the table stops at its end
  Frame();
  EXPECT_EQ(last.health, -5);
}

}  // namespace
