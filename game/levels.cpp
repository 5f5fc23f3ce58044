#include "game/levels.h"

#include "game/enemies.h"
#include "game/hero.h"
#include "game/map_file.h"
#include "game/scene.h"
#include "game/world.h"

namespace {

constexpr Threshold XAtMost(float limit) { return {true, false, limit}; }
constexpr Threshold XAtLeast(float limit) { return {true, true, limit}; }
constexpr Threshold YAtMost(float limit) { return {false, false, limit}; }
constexpr Threshold YAtLeast(float limit) { return {false, true, limit}; }

constexpr MapExit Exit(Threshold t, int32_t next, int32_t x, int32_t y) {
  return {{t, t}, 1, next, x, y};
}
constexpr MapExit Exit(Threshold t, Threshold u, int32_t next, int32_t x, int32_t y) {
  return {{t, u}, 2, next, x, y};
}

constexpr float kNearEdge = 1.5f;
constexpr float kFarEdge = 30.5f;
constexpr float kCornerPassage = 3.0f;

// The boss stands at the arena's centre.
constexpr float kBossX = 14.0f;
constexpr float kBossY = 14.0f;

}  // namespace

const Level kLevels[kLevelCount] = {
    {11, "res/tilemap11.txt", &kBlueSlime, false,
     {Exit(XAtMost(kNearEdge), 12, 28, 14), Exit(YAtMost(kNearEdge), 13, 14, 28)}, 2},
    {12, "res/tilemap12.txt", &kBlueSlime, false,
     {Exit(XAtLeast(kFarEdge), 11, 4, 14), Exit(YAtMost(kNearEdge), 14, 14, 28)}, 2},
    {13, "res/tilemap13.txt", &kFlower, false,
     {Exit(XAtMost(kNearEdge), 14, 28, 14), Exit(YAtLeast(kFarEdge), 11, 14, 4)}, 2},
    {14, "res/tilemap14.txt", &kFlower, false,
     {Exit(XAtLeast(kFarEdge), 13, 4, 14), Exit(YAtLeast(kFarEdge), 12, 14, 4),
      Exit(XAtMost(kCornerPassage), YAtMost(kCornerPassage), 21, 28, 28)},
     3},
    {21, "res/tilemap21.txt", &kMudSlime, false,
     {Exit(XAtLeast(kFarEdge), YAtLeast(kFarEdge), 14, 4, 4), Exit(XAtMost(kNearEdge), 22, 28, 14)},
     2},
    {22, "res/tilemap22.txt", &kMudSlime, false,
     {Exit(XAtLeast(kFarEdge), 21, 4, 14), Exit(XAtMost(kNearEdge), 30, 28, 14)}, 2},
    {30, "res/tilemap30.txt", &kBoss, true, {}, 0},
};

const Level* FindLevel(int32_t map) {
  for (const Level& level : kLevels) {
    if (level.map == map) return &level;
  }
  return nullptr;
}

bool ExitHolds(const MapExit& exit, float x, float y) {
  for (int32_t k = 0; k < exit.thresholdCount; ++k) {
    const Threshold& t = exit.thresholds[k];
    const float v = t.alongX ? x : y;
    if (t.atLeast ? v >= t.limit : v <= t.limit) return true;
  }
  return false;
}

namespace {

// The hero stands on the entry cell unmarked: his first successful move writes his marker.
void PlaceHero(int32_t health) {
  GameObject& hero = objects[heroIndex];
  hero.x = static_cast<float>(entryX);
  hero.y = static_cast<float>(entryY);
  hero.health = health;
}

// Enemy i goes to a whole-numbered cell on the diagonal x + y = 2i - 20, the first use of the
// random generator in a game.
void SpawnEnemies(const EnemyKind& kind) {
  for (int32_t i = kFirstEnemy; i < kFirstEnemy + kEnemySlots; ++i) {
    const int32_t c = NextRandom() % 10;
    SpawnEnemy(i, kind, static_cast<float>(i + c - 10), static_cast<float>(i - c - 10));
  }
}

void TakeExits(const Level& level) {
  const GameObject& hero = objects[heroIndex];
  for (int32_t k = 0; k < level.exitCount; ++k) {
    const MapExit& exit = level.exits[k];
    if (!ExitHolds(exit, hero.x, hero.y)) continue;
    mapLoaded = false;
    currentMap = exit.nextMap;
    entryX = exit.entryX;
    entryY = exit.entryY;
    entryHealth = hero.health;
  }
}

void StepOrdinaryMap(const Level& level) {
  if (!mapLoaded) EnterMap(level);
  ControlHero();
  StepEnemies();
  TakeExits(level);
  UpdateWorld();
  DrawMapFrame();
}

void StepBossMap(const Level& level) {
  if (!mapLoaded) EnterMap(level);
  ControlHero();
  StepEnemy(kFirstEnemy);
  // Before the world update: a hero who falls in the same frame still loses.
  if (objects[kFirstEnemy].health <= 0) {
    mapLoaded = false;
    gameState = Won;
  }
  UpdateWorld();
  DrawBossFrame();
}

}  // namespace

void EnterMap(const Level& level) {
  LoadMap(level.file);
  if (level.bossMap) {
    PlaceHero(objects[heroIndex].maxHealth);  // a full heal
    SpawnEnemy(kFirstEnemy, *level.enemies, kBossX, kBossY);
  } else {
    PlaceHero(entryHealth);
    SpawnEnemies(*level.enemies);
  }
  mapLoaded = true;
}

void LevelStep() {
  for (const Level& level : kLevels) {
    if (currentMap != level.map) continue;
    if (level.bossMap) {
      StepBossMap(level);
    } else {
      StepOrdinaryMap(level);
    }
  }
}
