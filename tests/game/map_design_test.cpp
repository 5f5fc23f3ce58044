// The seven map files as the game needs them: floors everywhere, tile values inside the tile
// picture, entries on free cells, and every exit reachable on foot from every entry even when
// enemy markers fill every cell an enemy can spawn on.
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/harness/grid_search.h"
#include "game/levels.h"
#include "game/map_file.h"
#include "game/tile_catalog.h"
#include "tests/game/world_fixture.h"

namespace {

class MapDesignTest : public WorldTest {
 protected:
  // Reads a map from a clean slate, so that a short file would show as zeros.
  void Read(const Level& level) {
    std::memset(tileMap, 0, sizeof tileMap);
    LoadMap(level.file);
  }
};

// Cells where enemies 20 to 24 may spawn: (i + c - 10, i - c - 10) for c in 0..9.
std::set<std::pair<int32_t, int32_t>> SpawnCells() {
  std::set<std::pair<int32_t, int32_t>> cells;
  for (int32_t i = 20; i < 25; ++i)
    for (int32_t c = 0; c < 10; ++c) cells.insert({i + c - 10, i - c - 10});
  return cells;
}

// Every cell the hero can enter on arrival at `map`, with where he came from.
std::vector<std::pair<GridCell, std::string>> Entries(int32_t map) {
  std::vector<std::pair<GridCell, std::string>> entries;
  for (const Level& level : kLevels)
    for (int32_t k = 0; k < level.exitCount; ++k)
      if (level.exits[k].nextMap == map)
        entries.push_back({{level.exits[k].entryX, level.exits[k].entryY},
                           "from map " + std::to_string(level.map)});
  if (map == kFirstMap) entries.push_back({{25, 25}, "the start"});
  return entries;
}

// True when some position inside the cell lies past the threshold.
bool CellMeets(const MapExit& exit, int32_t x, int32_t y) {
  for (int32_t k = 0; k < exit.thresholdCount; ++k) {
    const Threshold& t = exit.thresholds[k];
    const float c = static_cast<float>(t.alongX ? x : y);
    if (t.atLeast ? c + 1.0f > t.limit : c < t.limit) return true;
  }
  return false;
}

TEST_F(MapDesignTest, EveryFileHoldsAllItsNumbersAndFloorsEveryGroundCell) {
  for (const Level& level : kLevels) {
    std::memset(tileMap, 0x7F, sizeof tileMap);  // a short file would leave these
    LoadMap(level.file);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        ASSERT_GT(ground[y][x], 0) << level.file << " ground (" << x << ", " << y << ")";
        ASSERT_GE(occupancy[y][x], 0)
            << level.file << " holds a marker at (" << x << ", " << y << ")";
        ASSERT_NE(occupancy[y][x], 0x7F7F7F7F) << level.file << " ends early";
      }
  }
}

TEST_F(MapDesignTest, EveryTileValueSelectsAFrameInsideThePicture) {
  EXPECT_EQ(kTileLookupColumns, 16);
  EXPECT_TRUE(IsTileInPicture(7));
  EXPECT_FALSE(IsTileInPicture(8)) << "column 8 lies beyond 1024 pixels";
  EXPECT_TRUE(IsTileInPicture(39));
  EXPECT_FALSE(IsTileInPicture(48)) << "row 3 lies below 384 pixels";
  EXPECT_FALSE(IsTileInPicture(2147483647));
  for (const Level& level : kLevels) {
    Read(level);
    for (int layer = 0; layer < 2; ++layer)
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          const int32_t v = tileMap[layer][y][x];
          if (v == 0) continue;
          ASSERT_TRUE(IsTileInPicture(v))
              << level.file << " layer " << layer << " (" << x << ", " << y << ") value " << v;
        }
  }
}

TEST_F(MapDesignTest, EntriesLieOnFreeCellsAwayFromSpawnCells) {
  const auto spawns = SpawnCells();
  for (const Level& level : kLevels) {
    Read(level);
    for (const auto& [cell, from] : Entries(level.map)) {
      EXPECT_EQ(occupancy[cell.y][cell.x], 0) << level.file << " entry " << from;
      EXPECT_EQ(spawns.count({cell.x, cell.y}), 0u) << level.file << " entry " << from;
    }
  }
}

TEST_F(MapDesignTest, EveryExitIsReachableFromEveryEntry) {
  const auto spawns = SpawnCells();
  for (const Level& level : kLevels) {
    Read(level);
    const bool bossMap = level.bossMap;
    const CellTest free = [&](int32_t x, int32_t y) {
      return occupancy[y][x] == 0 && (bossMap || spawns.count({x, y}) == 0);
    };
    for (const auto& [cell, from] : Entries(level.map)) {
      for (int32_t k = 0; k < level.exitCount; ++k) {
        const MapExit& exit = level.exits[k];
        const auto path = FindPath(
            cell, free, [&](int32_t x, int32_t y) { return CellMeets(exit, x, y); });
        EXPECT_FALSE(path.empty())
            << level.file << ": no way " << from << " to map " << exit.nextMap;
      }
    }
  }
}

TEST_F(MapDesignTest, TheArenaLeadsFromTheEntryToTheBoss) {
  const Level& arena = *FindLevel(kBossMap);
  Read(arena);
  EXPECT_EQ(occupancy[14][14], 0) << "the boss's stand";
  const auto reachable = ReachableCells(
      {28, 14}, [](int32_t x, int32_t y) { return occupancy[y][x] == 0; });
  bool besideBoss = false;
  for (const GridCell& c : reachable) besideBoss |= (c == GridCell{14, 14});
  EXPECT_TRUE(besideBoss);
  // An arena: open ground all round the boss.
  for (int y = 10; y <= 18; ++y)
    for (int x = 10; x <= 18; ++x) EXPECT_EQ(occupancy[y][x], 0) << "(" << x << ", " << y << ")";
  // No way out but victory or defeat: the map's rim is closed.
  for (const GridCell& c : reachable) {
    EXPECT_TRUE(c.x > 0 && c.x < 31 && c.y > 0 && c.y < 31) << "(" << c.x << ", " << c.y << ")";
  }
}

TEST_F(MapDesignTest, ClosedEdgesKeepTheHeroOnTheGrid) {
  // Where no exit lies, the edge cells are obstacles, so a knock-back from a free cell cannot
  // throw the hero off the grid, from where no step brings him back.
  for (const Level& level : kLevels) {
    Read(level);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const bool edge = x == 0 || y == 0 || x == 31 || y == 31;
        if (!edge || occupancy[y][x] != 0) continue;
        bool exitCell = false;
        for (int32_t k = 0; k < level.exitCount; ++k) exitCell |= CellMeets(level.exits[k], x, y);
        EXPECT_TRUE(exitCell) << level.file << " open edge (" << x << ", " << y << ")";
      }
  }
}

}  // namespace
