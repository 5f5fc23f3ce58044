#include "game/enemies.h"

#include "game/animation.h"
#include "game/hero.h"
#include "game/movement.h"
#include "game/world.h"

//                              walk attack health damage sight chance behaviour  speed
const EnemyKind kBlueSlime = {11, 12, 5, 2, 2, 4, kPursuer, 2};
const EnemyKind kFlower = {13, 14, 10, 3, 2, 4, kPursuer, 1};
const EnemyKind kMudSlime = {15, 16, 12, 4, 2, 4, kPursuer, 2};
const EnemyKind kBoss = {17, 18, 25, 5, 10, 8, kBerserker, 3};

namespace {

constexpr float kAttackReach = 1.5f;  // cells, by last frame's distance

// Velocity magnitude, cells per frame: the product in double, stored as float.
float Pace(const GameObject& o) { return static_cast<float>(0.02 * o.speed); }
float BackPace(const GameObject& o) { return static_cast<float>(-0.02 * o.speed); }

void HeadAlongX(GameObject& o, bool towardLarger) {
  o.velocityX = towardLarger ? Pace(o) : BackPace(o);
  o.facing = towardLarger ? kDirDownRight : kDirUpLeft;
}

void HeadAlongY(GameObject& o, bool towardLarger) {
  o.velocityY = towardLarger ? Pace(o) : BackPace(o);
  o.facing = towardLarger ? kDirDownLeft : kDirUpRight;
}

void TurnTowardHeroAlongX(GameObject& o) { HeadAlongX(o, !(o.x > objects[heroIndex].x)); }
void TurnTowardHeroAlongY(GameObject& o) { HeadAlongY(o, !(o.y > objects[heroIndex].y)); }

// One draw in 0..29: start or stop a velocity component, or (most often) change nothing.
void ChooseWandering(GameObject& o) {
  switch (NextRandom() % 30) {
    case 0: HeadAlongX(o, true); break;
    case 1: HeadAlongX(o, false); break;
    case 2: o.velocityX = 0.0f; break;
    case 3: HeadAlongY(o, true); break;
    case 4: HeadAlongY(o, false); break;
    case 5: o.velocityY = 0.0f; break;
    default: break;
  }
}

bool IsBadlyWounded(const GameObject& o) { return 0.2 * o.maxHealth > o.health; }

}  // namespace

void SpawnEnemy(int32_t i, const EnemyKind& kind, float x, float y) {
  SpawnObject(i, kind.walkSheet, x, y, kind.health, kind.damage, kind.sightRange,
              kind.attackChance, kind.behaviour, kind.speed, kind.walkSheet, kind.attackSheet);
}

void StepEnemies() {
  for (int32_t i = kFirstEnemy; i < kFirstEnemy + kEnemySlots; ++i) StepEnemy(i);
}

void StepEnemy(int32_t i) {
  if (!IsObjectIndex(i) || !objects[i].alive) return;
  WanderEnemy(i);
  AttackHero(i);
  WoundedEnemy(i);
  MoveObject(i, kDirDownRight, objects[i].velocityX);  // even when the velocity is 0
  MoveObject(i, kDirDownLeft, objects[i].velocityY);
}

void WanderEnemy(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  ChooseWandering(o);
  if (o.velocityX != 0.0f || o.velocityY != 0.0f) PlayStrip(i, o.walkSheet);
  if (!(o.heroDistance < o.sightRange)) return;
  // Only a component at rest turns toward the hero; its walk strip starts next frame.
  const int32_t r = NextRandom() % 5;
  if (r == 0 && o.velocityX == 0.0f) TurnTowardHeroAlongX(o);
  if (r == 1 && o.velocityY == 0.0f) TurnTowardHeroAlongY(o);
}

void AttackHero(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  if (!(o.heroDistance < kAttackReach)) return;
  if (NextRandom() % 30 > o.attackChance) return;
  o.velocityX = 0.0f;
  o.velocityY = 0.0f;
  PlayStrip(i, o.attackSheet);
  Strike(i, heroIndex);
}

void WoundedEnemy(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  if (!IsBadlyWounded(o)) return;
  switch (o.behaviour) {
    case kPursuer: {
      if (!(o.heroDistance < 2 * o.sightRange)) return;
      // The current velocity is not consulted: pursuit overrides it.
      const int32_t r = NextRandom() % 5;
      if (r == 0) TurnTowardHeroAlongX(o);
      if (r == 1) TurnTowardHeroAlongY(o);
      return;
    }
    case kBerserker:
      // At any distance, without stopping.
      if (NextRandom() % 30 > 4) return;
      PlayStrip(i, o.attackSheet);
      Strike(i, heroIndex);
      return;
    default:
      return;
  }
}
