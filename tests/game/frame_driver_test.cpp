// The screen state machine, the spawn, the random generator and the world update.
#include <gtest/gtest.h>

#include "game/harness/world_reset.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/window.h"

namespace {

class FrameDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    LoadSheetMetrics();
    win32::InjectKeyState(&keys);
  }
  void TearDown() override { win32::InjectKeyState(nullptr); }

  void Frame() {
    frameTime += 40;
    RunFrame();
  }

  win32::FakeKeys keys;
};

TEST(NextRandom, FirstValuesAfterStartUpAndTheModuloRule) {
  randomState = 1;
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169};
  for (int32_t value : expected) EXPECT_EQ(NextRandom(), value);
  // A draw modulo n is the remainder of the value: 15724 % 30 = 4, 11478 % 10 = 8.
  EXPECT_EQ(NextRandom() % 30, 4);
  EXPECT_EQ(NextRandom() % 10, 8);
}

TEST_F(FrameDriverTest, EnterHeldFromTheCoverShowsTheStoryForOneFrame) {
  keys.Set(VK_RETURN, true);
  Frame();
  EXPECT_EQ(gameState, Story);
  Frame();  // the story frame sets up the hero and moves on
  EXPECT_EQ(gameState, Playing);
  const GameObject& hero = objects[heroIndex];
  EXPECT_EQ(hero.health, 20);
  EXPECT_EQ(hero.maxHealth, 20);
  EXPECT_EQ(hero.damage, 10);
  EXPECT_EQ(hero.sheet, 2);
  EXPECT_EQ(hero.behaviour, -1);
  EXPECT_TRUE(hero.alive);
  EXPECT_EQ(entryX, 25);
  EXPECT_EQ(entryY, 25);
  EXPECT_EQ(entryHealth, 20);
  EXPECT_EQ(currentMap, 11);
  EXPECT_EQ(randomState, 1u) << "the cover and the story draw nothing";
}

TEST_F(FrameDriverTest, TheStorySetsUpTheHeroInEveryFrameItIsShown) {
  gameState = Story;
  currentMap = 22;
  objects[heroIndex].health = 3;
  Frame();
  EXPECT_EQ(gameState, Story) << "without Enter the story stays";
  EXPECT_EQ(objects[heroIndex].health, 20);
  EXPECT_EQ(currentMap, 11);
}

TEST_F(FrameDriverTest, PicturesWaitForEnterThenGoBackToTheCover) {
  for (GameState end : {Lost, Won}) {
    gameState = end;
    keys.Set(VK_RETURN, false);
    Frame();
    Frame();
    EXPECT_EQ(gameState, end);
    keys.Set(VK_RETURN, true);
    Frame();
    EXPECT_EQ(gameState, Cover);
  }
  keys.Set(VK_RETURN, false);
  Frame();
  EXPECT_EQ(gameState, Cover);
}

TEST_F(FrameDriverTest, OtherKeysDoNotLeaveThePictures) {
  for (int vk : {VK_SPACE, VK_ESCAPE, VK_LEFT, VK_UP}) keys.Set(vk, true);
  Frame();
  EXPECT_EQ(gameState, Cover);
}

TEST_F(FrameDriverTest, SpawnSetsItsFieldsAndKeepsTheRest) {
  GameObject& o = objects[21];
  o.facing = 6;
  o.heroDistance = 7.5f;
  o.lastFrameTime = 1234;
  o.playing = true;
  o.velocityX = 0.04f;
  o.opacity = 0.25f;
  o.sheet = 13;
  o.frame = 5;
  occupancy[9][11] = 3;

  SpawnObject(21, 13, 11.0f, 9.0f, 10, 3, 2, 4, 0, 1, 13, 14);

  EXPECT_EQ(o.facing, 6);
  EXPECT_FLOAT_EQ(o.heroDistance, 7.5f);
  EXPECT_EQ(o.lastFrameTime, 1234u);
  EXPECT_FALSE(o.playing);
  EXPECT_TRUE(o.alive);
  EXPECT_FLOAT_EQ(o.opacity, 1.0f);
  EXPECT_FLOAT_EQ(o.velocityX, 0.0f);
  EXPECT_EQ(o.sheet, 13);
  EXPECT_EQ(o.frame, 0) << "the same sheet is set afresh";
  EXPECT_EQ(o.sourceRect.right, 128);
  EXPECT_EQ(o.frameCount, 12);
  EXPECT_EQ(occupancy[9][11], -21) << "the marker replaces what the cell held";
  EXPECT_EQ(o.health, 10);
  EXPECT_EQ(o.maxHealth, 10);
  EXPECT_EQ(o.damage, 3);
  EXPECT_EQ(o.sightRange, 2);
  EXPECT_EQ(o.attackChance, 4);
  EXPECT_EQ(o.speed, 1);
  EXPECT_EQ(o.walkSheet, 13);
  EXPECT_EQ(o.attackSheet, 14);
}

TEST_F(FrameDriverTest, WorldUpdateRetiresTheDeadAndStillMeasuresThem) {
  objects[heroIndex].health = 20;
  objects[heroIndex].x = 10.0f;
  objects[heroIndex].y = 10.0f;
  objects[20] = GameObject{};
  objects[20].alive = true;
  objects[20].health = 0;
  objects[20].x = 13.0f;
  objects[20].y = 14.0f;
  objects[21].alive = true;
  objects[21].health = 1;
  objects[21].x = 10.0f;
  objects[21].y = 10.0f;
  gameState = Playing;
  mapLoaded = true;

  UpdateWorld();

  EXPECT_FALSE(objects[20].alive);
  EXPECT_FLOAT_EQ(objects[20].heroDistance, 5.0f);
  EXPECT_TRUE(objects[21].alive);
  EXPECT_FLOAT_EQ(objects[21].heroDistance, 0.0f);
  EXPECT_EQ(gameState, Playing);
  EXPECT_TRUE(mapLoaded);
}

TEST_F(FrameDriverTest, TheHerosDeathLosesAndClearsTheMap) {
  objects[heroIndex].health = 0;
  gameState = Playing;
  mapLoaded = true;
  UpdateWorld();
  EXPECT_EQ(gameState, Lost);
  EXPECT_FALSE(mapLoaded);
}

TEST_F(FrameDriverTest, TheCameraCentresTheHero) {
  objects[heroIndex].health = 20;
  objects[heroIndex].x = 25.0f;
  objects[heroIndex].y = 25.0f;
  UpdateWorld();
  EXPECT_EQ(cameraLeft, -320);
  EXPECT_EQ(cameraTop, 560);

  // Truncation toward zero on both sides of zero: 32 * 0.15 - 320 = -315.2 gives -315.
  objects[heroIndex].x = 0.15f;
  objects[heroIndex].y = 0.0f;
  UpdateWorld();
  EXPECT_EQ(cameraLeft, -315);
  EXPECT_EQ(cameraTop, -237);
  objects[heroIndex].x = 31.9f;
  objects[heroIndex].y = 0.0f;
  UpdateWorld();
  EXPECT_EQ(cameraLeft, 700);  // 1020.8 - 320 = 700.8
}

TEST_F(FrameDriverTest, WorldUpdateStepsTheHeroAndEveryEnemySlot) {
  for (int i : {heroIndex, 20, 24}) {
    objects[i].health = 5;
    objects[i].playing = true;
    objects[i].frameCount = 4;
    objects[i].frameWidth = 128;
    objects[i].frameHeight = 128;
    objects[i].sheet = 11;
    objects[i].sourceRect = RECT{0, 0, 128, 128};
  }
  objects[24].health = -3;  // dead records are stepped as well
  frameTime = 100;
  UpdateWorld();
  for (int i : {heroIndex, 20, 24}) EXPECT_EQ(objects[i].frame, 1) << "record " << i;
}

}  // namespace
