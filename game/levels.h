// The maps, their exits, victory and defeat.
//
// Seven maps: 11 to 14 form a block of two by two, a passage leads from the corner of 14 to 21,
// on to 22 and to the boss's arena, 30. Walking past a threshold near an edge leaves a map and
// enters the next one at a fixed cell. The boss's death wins, the hero's death loses.
#pragma once

#include <cstdint>

#include "game/enemies.h"

// A half-plane of positions: x or y at most, or at least, a limit in cells.
struct Threshold {
  bool alongX;
  bool atLeast;
  float limit;
};

// An exit holds when any of its thresholds holds for the hero's position.
struct MapExit {
  Threshold thresholds[2];
  int32_t thresholdCount;
  int32_t nextMap;
  int32_t entryX;  // cell of the hero on the next map
  int32_t entryY;
};

struct Level {
  int32_t map;
  const char* file;
  const EnemyKind* enemies;  // five of this kind, or the boss alone on the boss map
  bool bossMap;
  MapExit exits[3];  // tested in this order; when several hold the last one decides
  int32_t exitCount;
};

constexpr int kLevelCount = 7;
// In the order the level step tests them: 11, 12, 13, 14, 21, 22, 30.
extern const Level kLevels[kLevelCount];

constexpr int32_t kFirstMap = 11;
constexpr int32_t kBossMap = 30;

// The level of a map number, or null.
const Level* FindLevel(int32_t map);

// True when the exit's thresholds let a hero at (x, y) through.
bool ExitHolds(const MapExit& exit, float x, float y);

// Reads the map's file, puts the hero on the entry cell and spawns the map's actors.
void EnterMap(const Level& level);

// One Playing frame: tests the current map against 11, 12, 13, 14, 21, 22 and 30 in this
// order, each test followed at once by that map's whole step, so an exit to a map later in the
// order is played in the same frame.
void LevelStep();
