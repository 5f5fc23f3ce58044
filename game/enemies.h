// Enemies and the boss: random wandering, turning toward a hero in sight, random attacks in
// reach, and what a badly wounded enemy does. Every random draw comes from NextRandom, in the
// order of the steps below.
#pragma once

#include <cstdint>

// What a badly wounded enemy (health below a fifth of its maximum) does.
enum Behaviour : int32_t { kPursuer = 0, kBerserker = 1 };

// The spawn values of one kind of enemy.
struct EnemyKind {
  int32_t walkSheet;
  int32_t attackSheet;
  int32_t health;
  int32_t damage;
  int32_t sightRange;    // cells
  int32_t attackChance;  // attacks when a draw in 0..29 is at most this
  int32_t behaviour;     // Behaviour
  int32_t speed;         // units of 0.02 cells per frame
};

extern const EnemyKind kBlueSlime;
extern const EnemyKind kFlower;
extern const EnemyKind kMudSlime;
extern const EnemyKind kBoss;

// Puts record i into play at (x, y) with the kind's values.
void SpawnEnemy(int32_t i, const EnemyKind& kind, float x, float y);

// One frame of the live enemies among records 20 to 24, in index order.
void StepEnemies();
// One frame of record i when it is alive: wander, attack, wounded behaviour, then the moves
// along x and along y by its velocity.
void StepEnemy(int32_t i);

void WanderEnemy(int32_t i);
void AttackHero(int32_t i);
void WoundedEnemy(int32_t i);
