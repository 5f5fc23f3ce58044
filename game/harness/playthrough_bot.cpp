#include "game/harness/playthrough_bot.h"

#include <cmath>
#include <cstdlib>

#include "game/levels.h"
#include "game/map_file.h"
#include "game/world.h"

namespace {

constexpr float kReach = 1.5f;  // a blow's reach, by last frame's distance

struct RouteStep {
  int32_t map;
  int32_t next;
};
// 11 -> 12 -> 14 -> 21 -> 22 -> 30; from 13 (off the route) on to 14.
constexpr RouteStep kRoute[] = {{11, 12}, {12, 14}, {13, 14}, {14, 21}, {21, 22}, {22, 30}};

const GameObject& Hero() { return objects[heroIndex]; }

bool CellOf(const GameObject& o, GridCell* cell) {
  if (!(o.x >= 0.0f && o.x < kMapSize && o.y >= 0.0f && o.y < kMapSize)) return false;
  *cell = GridCell{static_cast<int32_t>(o.x), static_cast<int32_t>(o.y)};
  return true;
}

// The enemy records that fight on this map: on the boss map only the boss; 21 to 24 still hold
// the previous map's enemies there, neither driven nor real.
int32_t LastFighter() {
  return currentMap == kBossMap ? kFirstEnemy : kFirstEnemy + kEnemySlots - 1;
}

bool IsFighter(int32_t i) { return i >= kFirstEnemy && i <= LastFighter() && objects[i].alive; }

// A live enemy standing in cell (x, y) under its own marker; it may move away or be struck.
bool HoldsLiveEnemy(int32_t x, int32_t y) {
  const int32_t i = MarkedObject(occupancy[y][x]);
  GridCell at{};
  return i > 0 && IsFighter(i) && CellOf(objects[i], &at) && at == GridCell{x, y};
}

bool IsFreeForHero(int32_t x, int32_t y) {
  const int32_t v = occupancy[y][x];
  return v == 0 || v == -heroIndex;
}

// The key that faces (and steps) along the larger of the two offsets.
KeySet KeyToward(float dx, float dy) {
  if (std::fabs(dx) >= std::fabs(dy)) return dx > 0 ? kKeyRight : kKeyLeft;
  return dy > 0 ? kKeyDown : kKeyUp;
}

KeySet KeyToCell(GridCell from, GridCell to) {
  return KeyToward(static_cast<float>(to.x - from.x), static_cast<float>(to.y - from.y));
}

// True when some position inside cell (x, y) lies past the threshold.
bool CellMeets(const Threshold& t, int32_t x, int32_t y) {
  const int32_t c = t.alongX ? x : y;
  return t.atLeast ? static_cast<float>(c + 1) > t.limit : static_cast<float>(c) < t.limit;
}

bool CellMeetsExit(const MapExit& exit, int32_t x, int32_t y) {
  for (int32_t k = 0; k < exit.thresholdCount; ++k) {
    if (CellMeets(exit.thresholds[k], x, y)) return true;
  }
  return false;
}

// The key that carries the hero on past the threshold that his cell meets.
KeySet KeyPast(const MapExit& exit, int32_t x, int32_t y) {
  for (int32_t k = 0; k < exit.thresholdCount; ++k) {
    const Threshold& t = exit.thresholds[k];
    if (!CellMeets(t, x, y)) continue;
    if (t.alongX) return t.atLeast ? kKeyRight : kKeyLeft;
    return t.atLeast ? kKeyDown : kKeyUp;
  }
  return 0;
}

// The nearest live enemy within reach, or -1.
int32_t EnemyInReach() {
  int32_t best = -1;
  for (int32_t i = kFirstEnemy; i <= LastFighter(); ++i) {
    if (!IsFighter(i) || !(objects[i].heroDistance < kReach)) continue;
    if (best < 0 || objects[i].heroDistance < objects[best].heroDistance) best = i;
  }
  return best;
}

// Shortest way to a goal cell, first around the enemies, else through them (the bot strikes
// whatever stands in its way once it is close).
std::vector<GridCell> PlanPath(GridCell start, const CellTest& avoid, const CellTest& goal) {
  const CellTest free = [&](int32_t x, int32_t y) { return IsFreeForHero(x, y) && !avoid(x, y); };
  std::vector<GridCell> path = FindPath(start, free, goal);
  if (!path.empty()) return path;
  const CellTest crowded = [&](int32_t x, int32_t y) {
    return (IsFreeForHero(x, y) || HoldsLiveEnemy(x, y)) && !avoid(x, y);
  };
  return FindPath(start, crowded, goal);
}

}  // namespace

int32_t NextMapOnRoute(int32_t map) {
  for (const RouteStep& step : kRoute) {
    if (step.map == map) return step.next;
  }
  return 0;
}

KeySet PlaythroughBot::NextKeys() const {
  switch (gameState) {
    case Cover:
    case Story: return kKeyEnter;
    case Playing: return PlayMap();
    default: return 0;
  }
}

KeySet PlaythroughBot::PlayMap() const {
  // Before the entry the positions are the previous map's; wait one frame.
  if (!mapLoaded || plan_ == Plan::kStandStill) return 0;
  const int32_t enemy = EnemyInReach();
  if (enemy >= 0) {
    const GameObject& e = objects[enemy];
    return KeyToward(e.x - Hero().x, e.y - Hero().y) | kKeySpace;
  }
  return Walk();
}

KeySet PlaythroughBot::Walk() const {
  GridCell here{};
  if (!CellOf(Hero(), &here)) return 0;
  const Level* level = FindLevel(currentMap);
  if (level == nullptr) return 0;

  if (level->bossMap) {
    GridCell boss{};
    if (!CellOf(objects[kFirstEnemy], &boss)) return 0;
    const auto besideBoss = [boss](int32_t x, int32_t y) {
      return std::abs(x - boss.x) + std::abs(y - boss.y) <= 1;
    };
    if (besideBoss(here.x, here.y)) {
      return KeyToward(objects[kFirstEnemy].x - Hero().x, objects[kFirstEnemy].y - Hero().y);
    }
    const auto path = PlanPath(
        here, [](int32_t, int32_t) { return false; }, besideBoss);
    return path.size() >= 2 ? KeyToCell(path[0], path[1]) : 0;
  }

  const MapExit* target = nullptr;
  for (int32_t k = 0; k < level->exitCount; ++k) {
    if (level->exits[k].nextMap == NextMapOnRoute(currentMap)) target = &level->exits[k];
  }
  if (target == nullptr) return 0;
  const auto isTarget = [target](int32_t x, int32_t y) { return CellMeetsExit(*target, x, y); };
  // Cells of the other exits would lead the wrong way.
  const auto avoid = [level, target](int32_t x, int32_t y) {
    for (int32_t k = 0; k < level->exitCount; ++k) {
      const MapExit& exit = level->exits[k];
      if (&exit == target || CellMeetsExit(*target, x, y)) continue;
      if (CellMeetsExit(exit, x, y)) return true;
    }
    return false;
  };
  if (isTarget(here.x, here.y)) return KeyPast(*target, here.x, here.y);
  const auto path = PlanPath(here, avoid, isTarget);
  return path.size() >= 2 ? KeyToCell(path[0], path[1]) : 0;
}

int64_t RunBot(GameDriver& driver, const PlaythroughBot& bot, int64_t maxFrames,
               const std::function<bool()>& done) {
  int64_t frames = 0;
  while (frames < maxFrames && !done()) {
    driver.Frame(bot.NextKeys());
    ++frames;
  }
  return frames;
}
