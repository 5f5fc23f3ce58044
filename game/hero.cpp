#include "game/hero.h"

#include <cstdint>
#include <limits>

#include "game/animation.h"
#include "game/movement.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/window.h"

namespace {

constexpr float kHeroStep = 0.15f;      // cells per frame and key
constexpr float kStrikeReach = 1.5f;    // cells, by last frame's distance
constexpr float kKnockBack = 1.0f;      // cells

// In the order the keys are tested; each moves and faces along its direction code.
struct ArrowKey {
  int virtualKey;
  int32_t direction;
};
constexpr ArrowKey kArrowKeys[] = {
    {VK_LEFT, kDirUpLeft}, {VK_RIGHT, kDirDownRight}, {VK_UP, kDirUpRight}, {VK_DOWN, kDirDownLeft},
};

// Where a blow goes for each facing: along x or y, toward larger (+1) or smaller (-1) values.
struct BlowDirection {
  int32_t facing;
  bool alongX;
  int32_t sign;
};
constexpr BlowDirection kBlows[] = {
    {kDirUpRight, false, -1}, {kDirDownRight, true, +1}, {kDirDownLeft, false, +1},
    {kDirUpLeft, true, -1},
};

bool IsDown(int virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

bool IsFacing(int32_t facing) {
  return facing == kDirUpRight || facing == kDirDownRight || facing == kDirDownLeft ||
         facing == kDirUpLeft;
}

// Health may sink far below zero under repeated blows; it stops at the int32 limit.
int32_t LoseHealth(int32_t health, int32_t damage) {
  const int64_t left = static_cast<int64_t>(health) - damage;
  if (left < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (left > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(left);
}

void StrikeEnemiesInReach() {
  for (int32_t i = kFirstEnemy; i < kFirstEnemy + enemyCount; ++i) {
    if (!IsObjectIndex(i)) break;
    // Live and dead records alike; each at most once a frame.
    if (objects[i].heroDistance < kStrikeReach) Strike(heroIndex, i);
  }
}

}  // namespace

void ControlHero() {
  if (!IsObjectIndex(heroIndex)) return;
  for (const ArrowKey& key : kArrowKeys) {
    if (!IsDown(key.virtualKey)) continue;
    PlayStrip(heroIndex, HeroWalkSheet(key.direction));
    MoveObject(heroIndex, key.direction, kHeroStep);
    objects[heroIndex].facing = key.direction;  // also when the move was refused
  }
  if (!IsDown(VK_SPACE)) return;
  const int32_t facing = objects[heroIndex].facing;
  if (IsFacing(facing)) PlayStrip(heroIndex, HeroAttackSheet(facing));
  StrikeEnemiesInReach();
}

void Strike(int32_t a, int32_t t) {
  if (!IsObjectIndex(a) || !IsObjectIndex(t)) return;
  const GameObject& attacker = objects[a];
  GameObject& target = objects[t];
  for (const BlowDirection& blow : kBlows) {
    if (blow.facing != attacker.facing) continue;
    float& along = blow.alongX ? target.x : target.y;
    const float from = blow.alongX ? attacker.x : attacker.y;
    const bool onFacedSide = blow.sign > 0 ? along > from : along < from;
    if (!onFacedSide) return;
    target.health = LoseHealth(target.health, attacker.damage);
    along += blow.sign * kKnockBack;
    return;
  }
}
