// The level step: map entry, the exits in table order, the boss map, victory and defeat.
#include <cmath>

#include "game/levels.h"
#include "game/map_file.h"
#include "tests/game/random_draws.h"
#include "tests/game/world_fixture.h"

namespace {

class LevelStepTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    frameTime = 1000;
    gameState = Playing;
  }
  // The hero as the story screen leaves him, about to enter map 11.
  void StartGame() {
    PlaceHero(0.0f, 0.0f);
    entryX = entryY = 25;
    entryHealth = 20;
    currentMap = 11;
  }
  // Playing on `map` (already entered) with the hero at (x, y) and no enemy in play.
  void PlayOn(int32_t map, float x, float y) {
    PlaceHero(x, y);
    currentMap = map;
    mapLoaded = true;
  }
  GameObject& hero = objects[heroIndex];
};

TEST_F(LevelStepTest, TheFirstPlayPutsTheFiveSlimesInTheirCells) {
  StartGame();
  LevelStep();
  const int32_t cells[5][2] = {{11, 9}, {18, 4}, {16, 8}, {13, 13}, {23, 5}};
  for (int k = 0; k < 5; ++k) {
    const GameObject& e = objects[20 + k];
    EXPECT_TRUE(e.alive) << "record " << 20 + k;
    EXPECT_EQ(e.walkSheet, 11);
    // Spawned on a whole cell; the first frame's moves are at most one 0.04 step each way.
    EXPECT_EQ(static_cast<int32_t>(e.x + 0.5f), cells[k][0]) << "record " << 20 + k;
    EXPECT_EQ(static_cast<int32_t>(e.y + 0.5f), cells[k][1]) << "record " << 20 + k;
  }
  EXPECT_TRUE(mapLoaded);
  EXPECT_FLOAT_EQ(hero.x, 25.0f);
  EXPECT_FLOAT_EQ(hero.y, 25.0f);
  EXPECT_EQ(occupancy[25][25], 0) << "the hero is not marked at the entry";
}

TEST_F(LevelStepTest, EntryReadsTheMapAndSpawnsOnTheDiagonals) {
  currentMap = 13;
  entryX = 14;
  entryY = 28;
  entryHealth = 7;
  PlaceHero(0.0f, 0.0f);
  const Level& level = *FindLevel(13);
  RigDraws({{10, 9}, {10, 0}, {10, 4}, {10, 4}, {10, 2}});
  EnterMap(level);
  EXPECT_EQ(hero.health, 7);
  EXPECT_FLOAT_EQ(hero.x, 14.0f);
  EXPECT_FLOAT_EQ(hero.y, 28.0f);
  const float expected[5][2] = {{19, 1}, {11, 11}, {16, 8}, {17, 9}, {16, 12}};
  for (int k = 0; k < 5; ++k) {
    EXPECT_FLOAT_EQ(objects[20 + k].x, expected[k][0]) << "record " << 20 + k;
    EXPECT_FLOAT_EQ(objects[20 + k].y, expected[k][1]) << "record " << 20 + k;
    EXPECT_EQ(objects[20 + k].health, 10);
    EXPECT_EQ(objects[20 + k].sheet, 13);
  }
  EXPECT_EQ(occupancy[1][19], -20) << "over whatever the file held";
  EXPECT_EQ(occupancy[8][16], -22);
  EXPECT_GT(ground[0][0], 0) << "the map file was read";
}

TEST_F(LevelStepTest, ExitsCarryTheHerosHealthAndEntryToTheNextMap) {
  PlayOn(11, 1.4f, 20.0f);
  hero.health = 13;
  LevelStep();
  EXPECT_EQ(currentMap, 12);
  EXPECT_EQ(entryX, 28);
  EXPECT_EQ(entryY, 14);
  EXPECT_EQ(entryHealth, 13);
  EXPECT_TRUE(mapLoaded) << "12 comes after 11 in the order: entered in the same frame";
  EXPECT_EQ(hero.health, 13);
  EXPECT_FLOAT_EQ(hero.x, 28.0f);
}

TEST_F(LevelStepTest, AnExitToALaterMapRunsItsWholeStepInTheSameFrame) {
  PlayOn(14, 2.5f, 31.0f);  // meets y >= 30.5 (to 12) and x <= 3.0 (to 21): the last decides
  hero.health = 11;
  keys.Set(VK_RIGHT, true);
  LevelStep();
  EXPECT_EQ(currentMap, 21);
  EXPECT_TRUE(mapLoaded) << "map 21 was entered in the same frame";
  EXPECT_FLOAT_EQ(hero.x, 28.15f) << "and the hero steered once more after the entry";
  EXPECT_FLOAT_EQ(hero.y, 28.0f);
  EXPECT_EQ(hero.health, 11);
  for (int i = 20; i < 25; ++i) {
    EXPECT_EQ(objects[i].walkSheet, 15) << "mud slimes";
    // The world update of map 21 measured the new positions.
    const float dx = objects[i].x - hero.x, dy = objects[i].y - hero.y;
    EXPECT_NEAR(objects[i].heroDistance, std::sqrt(dx * dx + dy * dy), 1e-4) << "record " << i;
  }
}

TEST_F(LevelStepTest, AnExitToAnEarlierMapIsEnteredInTheNextFrame) {
  PlayOn(12, 30.6f, 14.5f);
  LevelStep();
  EXPECT_EQ(currentMap, 11);
  EXPECT_FALSE(mapLoaded);
  EXPECT_FLOAT_EQ(hero.x, 30.6f);
  LevelStep();
  EXPECT_TRUE(mapLoaded);
  EXPECT_FLOAT_EQ(hero.x, 4.0f);
  EXPECT_FLOAT_EQ(hero.y, 14.0f);
}

TEST_F(LevelStepTest, TheLevelTableJoinsTheMaps) {
  struct Case {
    int32_t map;
    float x, y;
    int32_t next, entryX, entryY;
  };
  const Case cases[] = {
      {11, 1.5f, 9.0f, 12, 28, 14},  {11, 9.0f, 1.5f, 13, 14, 28},  {12, 30.5f, 9.0f, 11, 4, 14},
      {12, 9.0f, 1.0f, 14, 14, 28},  {13, 0.5f, 9.0f, 14, 28, 14},  {13, 9.0f, 30.5f, 11, 14, 4},
      {14, 30.5f, 9.0f, 13, 4, 14},  {14, 9.0f, 30.9f, 12, 14, 4},  {14, 9.0f, 3.0f, 21, 28, 28},
      {14, 3.0f, 9.0f, 21, 28, 28},  {21, 30.5f, 9.0f, 14, 4, 4},   {21, 9.0f, 30.5f, 14, 4, 4},
      {21, 1.0f, 9.0f, 22, 28, 14},  {22, 31.0f, 9.0f, 21, 4, 14},  {22, 1.5f, 9.0f, 30, 28, 14},
  };
  for (const Case& c : cases) {
    const Level& level = *FindLevel(c.map);
    int32_t next = 0, x = 0, y = 0;
    for (int32_t k = 0; k < level.exitCount; ++k) {
      if (!ExitHolds(level.exits[k], c.x, c.y)) continue;
      next = level.exits[k].nextMap;
      x = level.exits[k].entryX;
      y = level.exits[k].entryY;
    }
    EXPECT_EQ(next, c.next) << "map " << c.map << " at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(x, c.entryX) << "map " << c.map;
    EXPECT_EQ(y, c.entryY) << "map " << c.map;
  }
  // No exit of the map entered fires on arrival.
  for (const Level& level : kLevels) {
    for (int32_t k = 0; k < level.exitCount; ++k) {
      const MapExit& exit = level.exits[k];
      const Level& next = *FindLevel(exit.nextMap);
      for (int32_t j = 0; j < next.exitCount; ++j) {
        EXPECT_FALSE(ExitHolds(next.exits[j], static_cast<float>(exit.entryX),
                               static_cast<float>(exit.entryY)))
            << "arriving on " << next.map << " from " << level.map;
      }
    }
  }
  EXPECT_FALSE(ExitHolds(FindLevel(14)->exits[2], 3.01f, 3.01f));
  EXPECT_EQ(FindLevel(30)->exitCount, 0);
  EXPECT_EQ(FindLevel(15), nullptr);
}

TEST_F(LevelStepTest, TheBossMapHealsTheHeroAndSpawnsTheBossAlone) {
  PlaceHero(0.0f, 0.0f);
  hero.health = 3;
  currentMap = 30;
  entryX = 28;
  entryY = 14;
  entryHealth = 3;
  objects[23].alive = true;  // the previous map's enemy stays in its record
  objects[23].health = 12;
  LevelStep();
  EXPECT_EQ(hero.health, 20);
  EXPECT_FLOAT_EQ(hero.x, 28.0f);
  EXPECT_EQ(objects[20].health, 25);
  EXPECT_EQ(objects[20].walkSheet, 17);
  EXPECT_EQ(objects[23].health, 12);
  EXPECT_TRUE(objects[23].alive);
  EXPECT_EQ(gameState, Playing);
}

TEST_F(LevelStepTest, TheBossFallsToThreeBlowsAndItsDeathWins) {
  PlayOn(30, 12.0f, 14.5f);
  SpawnEnemy(20, kBoss, 13.0f, 14.5f);
  GameObject& boss = objects[20];
  hero.facing = 2;
  keys.Set(VK_SPACE, true);
  const int32_t expected[] = {15, 5, -5};
  for (int32_t health : expected) {
    boss.x = 13.0f;  // back in reach after each knock-back
    boss.heroDistance = 1.0f;
    boss.velocityX = boss.velocityY = 0.0f;
    RigDraws({{30, 29}, {5, 4}, {30, 29}, {30, 29}});  // the boss does nothing of its own
    LevelStep();
    EXPECT_EQ(boss.health, health);
  }
  EXPECT_EQ(gameState, Won);
  EXPECT_FALSE(mapLoaded);
  EXPECT_FALSE(boss.alive);
}

TEST_F(LevelStepTest, HeroAndBossFallingInOneFrameLoses) {
  PlayOn(30, 12.0f, 14.5f);
  SpawnEnemy(20, kBoss, 13.0f, 14.5f);
  GameObject& boss = objects[20];
  boss.health = 5;
  boss.heroDistance = 1.0f;
  boss.facing = 6;
  hero.facing = 2;
  hero.health = 5;
  keys.Set(VK_SPACE, true);
  // Wander: nothing; sight: nothing; attack: 0 (strikes back); berserk: 0 (strikes again).
  RigDraws({{30, 29}, {5, 4}, {30, 0}, {30, 0}});
  LevelStep();
  EXPECT_LE(boss.health, 0);
  EXPECT_LE(hero.health, 0);
  EXPECT_EQ(gameState, Lost) << "the world update runs after the victory test";
  EXPECT_FALSE(mapLoaded);
}

TEST_F(LevelStepTest, DeadEnemiesMarkersStillBlock) {
  PlayOn(11, 20.5f, 20.5f);
  SpawnEnemy(20, kBlueSlime, 21.5f, 20.5f);
  objects[20].health = 0;
  objects[20].heroDistance = 30.0f;
  for (int i = 21; i < 25; ++i) objects[i].alive = false;
  LevelStep();
  EXPECT_FALSE(objects[20].alive);
  keys.Set(VK_RIGHT, true);
  for (int n = 0; n < 10; ++n) LevelStep();
  EXPECT_LT(hero.x, 21.0f);
  EXPECT_EQ(occupancy[20][21], -20);
}

TEST_F(LevelStepTest, ForeignMarkersInTheMapAreHarmlessForWholeFrames) {
  PlayOn(11, 20.5f, 20.5f);
  for (int i = 20; i < 25; ++i) SpawnEnemy(i, kBlueSlime, 2.0f + i - 20, 2.0f);
  occupancy[20][21] = -500;
  occupancy[21][20] = -2147483647 - 1;
  occupancy[19][20] = -200;
  occupancy[20][19] = 2147483647;
  for (int key : {VK_RIGHT, VK_DOWN, VK_UP, VK_LEFT}) {
    keys.ReleaseAll();
    keys.Set(key, true);
    keys.Set(VK_SPACE, true);
    for (int n = 0; n < 20; ++n) LevelStep();
    EXPECT_EQ(static_cast<int32_t>(hero.x), 20) << "key " << key;
    EXPECT_EQ(static_cast<int32_t>(hero.y), 20) << "key " << key;
  }
  EXPECT_EQ(occupancy[20][21], -500);
  EXPECT_EQ(occupancy[21][20], -2147483647 - 1);
  EXPECT_EQ(occupancy[19][20], -200);
  EXPECT_EQ(occupancy[20][19], 2147483647);
}

}  // namespace
