// WanderEnemy, AttackHero, WoundedEnemy and StepEnemies: random choices in a fixed order,
// pursuit, attacks and the wounded behaviours.
#include "game/enemies.h"
#include "tests/game/random_draws.h"
#include "tests/game/world_fixture.h"

namespace {

class EnemyTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    frameTime = 1000;
    PlaceHero(10.5f, 10.5f);
  }
  GameObject& Spawn(int32_t i, const EnemyKind& kind, float x, float y, float distance) {
    SpawnEnemy(i, kind, x, y);
    objects[i].heroDistance = distance;
    return objects[i];
  }
  GameObject& hero = objects[heroIndex];
};

float Pace(int32_t speed) { return static_cast<float>(0.02 * speed); }

TEST_F(EnemyTest, TheWanderDrawStartsAndStopsVelocities) {
  struct Case {
    int32_t r;
    float vx, vy;
    int32_t facing;
  };
  const float p = Pace(3);
  for (const Case& c : {Case{0, p, 0.5f, 2}, Case{1, -p, 0.5f, 6}, Case{2, 0, 0.5f, 7},
                        Case{3, 0.5f, p, 4}, Case{4, 0.5f, -p, 0}, Case{5, 0.5f, 0, 7},
                        Case{6, 0.5f, 0.5f, 7}, Case{29, 0.5f, 0.5f, 7}}) {
    GameObject& e = Spawn(20, kBoss, 20.0f, 20.0f, 25.0f);
    e.velocityX = e.velocityY = 0.5f;
    e.facing = 7;
    RigDraws({{30, c.r}});
    const uint32_t before = randomState;
    WanderEnemy(20);
    EXPECT_EQ(e.velocityX, c.vx) << "r " << c.r;
    EXPECT_EQ(e.velocityY, c.vy) << "r " << c.r;
    EXPECT_EQ(e.facing, c.facing) << "r " << c.r;
    EXPECT_EQ(DrawsSince(before), 1) << "the hero is out of sight";
  }
}

TEST_F(EnemyTest, VelocitiesAreTheDoubleProductStoredAsFloat) {
  for (const EnemyKind* kind : {&kBlueSlime, &kFlower, &kBoss}) {
    GameObject& e = Spawn(20, *kind, 20.0f, 20.0f, 25.0f);
    RigDraws({{30, 0}});
    WanderEnemy(20);
    EXPECT_EQ(e.velocityX, static_cast<float>(0.02 * kind->speed));
  }
}

TEST_F(EnemyTest, AMovingEnemyPlaysItsWalkStrip) {
  GameObject& e = Spawn(20, kFlower, 20.0f, 20.0f, 25.0f);
  RigDraws({{30, 10}});
  WanderEnemy(20);
  EXPECT_FALSE(e.playing) << "at rest";
  e.velocityY = -0.02f;
  RigDraws({{30, 10}});
  WanderEnemy(20);
  EXPECT_TRUE(e.playing);
  EXPECT_EQ(e.sheet, 13);
}

TEST_F(EnemyTest, InSightAComponentAtRestTurnsTowardTheHero) {
  GameObject& e = Spawn(20, kBlueSlime, 11.5f, 10.5f, 1.9f);
  RigDraws({{30, 10}, {5, 0}});
  WanderEnemy(20);
  EXPECT_EQ(e.velocityX, -Pace(2));
  EXPECT_EQ(e.facing, 6);
  EXPECT_FALSE(e.playing) << "the walk strip starts only next frame";

  e.velocityX = Pace(2);  // moving away along x: pursuit leaves it alone
  e.facing = 2;
  RigDraws({{30, 10}, {5, 0}});
  WanderEnemy(20);
  EXPECT_EQ(e.velocityX, Pace(2));
  EXPECT_EQ(e.facing, 2);

  e.y = 10.5f;  // level with the hero: "otherwise" heads toward larger y
  RigDraws({{30, 10}, {5, 1}});
  WanderEnemy(20);
  EXPECT_EQ(e.velocityY, Pace(2));
  EXPECT_EQ(e.facing, 4);
}

TEST_F(EnemyTest, SightIsAStrictDistance) {
  GameObject& e = Spawn(20, kBlueSlime, 12.5f, 10.5f, 2.0f);
  RigDraws({{30, 10}});
  uint32_t before = randomState;
  WanderEnemy(20);
  EXPECT_EQ(DrawsSince(before), 1);
  e.heroDistance = 1.99f;
  before = randomState;
  WanderEnemy(20);
  EXPECT_EQ(DrawsSince(before), 2);
}

TEST_F(EnemyTest, AnAttackStopsTheEnemyAndStrikesTheHeroOnItsFacedSide) {
  GameObject& e = Spawn(20, kBlueSlime, 11.5f, 10.5f, 1.0f);
  e.velocityX = -Pace(2);
  e.facing = 6;
  RigDraws({{30, 4}});
  AttackHero(20);
  EXPECT_EQ(e.velocityX, 0.0f);
  EXPECT_EQ(e.sheet, 12);
  EXPECT_TRUE(e.playing);
  EXPECT_EQ(hero.health, 18);
  EXPECT_FLOAT_EQ(hero.x, 9.5f);

  RigDraws({{30, 5}});  // above the chance: nothing
  AttackHero(20);
  EXPECT_EQ(hero.health, 18);

  e.facing = 0;  // a y-facing blow misses a hero level with it
  hero.y = e.y;
  RigDraws({{30, 0}});
  AttackHero(20);
  EXPECT_EQ(hero.health, 18);
  EXPECT_EQ(e.sheet, 12);

  e.heroDistance = 1.5f;  // out of reach: no draw
  const uint32_t before = randomState;
  AttackHero(20);
  EXPECT_EQ(DrawsSince(before), 0);
}

TEST_F(EnemyTest, WoundedMudSlimesPursueFromTwiceTheirSight) {
  GameObject& mud = Spawn(22, kMudSlime, 13.5f, 12.5f, 3.9f);
  uint32_t before = randomState;
  WoundedEnemy(22);
  EXPECT_EQ(DrawsSince(before), 0) << "unhurt";
  mud.health = 2;  // one blow: 2 < 0.2 * 12
  mud.velocityX = Pace(2);
  RigDraws({{5, 0}});
  WoundedEnemy(22);
  EXPECT_EQ(mud.velocityX, -Pace(2)) << "turned toward the hero whatever it was doing";
  EXPECT_EQ(mud.facing, 6);
  RigDraws({{5, 1}});
  WoundedEnemy(22);
  EXPECT_EQ(mud.velocityY, -Pace(2));
  EXPECT_EQ(mud.facing, 0);
  mud.heroDistance = 4.0f;
  before = randomState;
  WoundedEnemy(22);
  EXPECT_EQ(DrawsSince(before), 0) << "beyond twice the sight";
}

TEST_F(EnemyTest, OneBlowLeavesOnlyMudSlimesAliveAndWounded) {
  GameObject& slime = Spawn(20, kBlueSlime, 13.5f, 12.5f, 3.0f);
  GameObject& flower = Spawn(21, kFlower, 13.5f, 12.5f, 3.0f);
  slime.health -= 10;
  flower.health -= 10;
  EXPECT_LE(slime.health, 0);
  EXPECT_LE(flower.health, 0);
  GameObject& mud = Spawn(22, kMudSlime, 13.5f, 12.5f, 3.0f);
  mud.health -= 10;
  EXPECT_GT(mud.health, 0);
  const uint32_t before = randomState;
  WoundedEnemy(22);
  EXPECT_EQ(DrawsSince(before), 1);
}

TEST_F(EnemyTest, TheBerserkerOnlyRagesBelowAFifthOfItsHealth) {
  GameObject& boss = Spawn(20, kBoss, 14.0f, 14.0f, 9.0f);
  boss.facing = 6;  // the hero lies at smaller x
  for (int32_t health : {25, 15, 5}) {
    boss.health = health;
    const uint32_t before = randomState;
    WoundedEnemy(20);
    EXPECT_EQ(DrawsSince(before), 0) << "health " << health << " is not below 5.0";
  }
  boss.health = -5;
  RigDraws({{30, 4}});
  WoundedEnemy(20);
  EXPECT_EQ(hero.health, 15) << "at any distance";
  EXPECT_EQ(boss.sheet, 18);
  RigDraws({{30, 5}});
  WoundedEnemy(20);
  EXPECT_EQ(hero.health, 15);
}

TEST_F(EnemyTest, StepEnemiesDrivesTheLiveInIndexOrderAndMovesByTheVelocity) {
  GameObject& a = Spawn(20, kBlueSlime, 20.5f, 3.5f, 20.0f);
  GameObject& dead = Spawn(21, kBlueSlime, 22.5f, 3.5f, 20.0f);
  GameObject& b = Spawn(23, kBlueSlime, 24.5f, 3.5f, 20.0f);
  dead.alive = false;
  dead.velocityX = Pace(2);
  objects[22].alive = false;
  objects[24].alive = false;
  RigDraws({{30, 0}, {30, 3}});
  const uint32_t before = randomState;
  StepEnemies();
  EXPECT_EQ(DrawsSince(before), 2) << "one draw for each live enemy";
  EXPECT_FLOAT_EQ(a.x, 20.54f) << "record 20 drew 0: along x";
  EXPECT_FLOAT_EQ(b.y, 3.54f) << "record 23 drew 3: along y";
  EXPECT_FLOAT_EQ(dead.x, 22.5f);
}

TEST_F(EnemyTest, AnEnemyStruckToZeroStillTakesItsWholeTurn) {
  GameObject& mud = Spawn(20, kMudSlime, 11.5f, 10.5f, 1.0f);
  mud.health = 0;  // alive until the world update
  RigDraws({{30, 10}, {5, 3}, {30, 20}, {5, 4}});
  const uint32_t before = randomState;
  StepEnemy(20);
  EXPECT_EQ(DrawsSince(before), 4) << "wander, sight, attack, wounded";
}

TEST_F(EnemyTest, ARefusedVelocityKeepsPushing) {
  GameObject& e = Spawn(20, kBlueSlime, 20.5f, 3.5f, 20.0f);
  occupancy[3][21] = 34;
  e.velocityX = Pace(2);
  for (int n = 0; n < 20; ++n) {
    RigDraws({{30, 10}});
    StepEnemy(20);
  }
  EXPECT_LT(e.x, 21.0f);
  EXPECT_GT(e.x, 20.9f);
  EXPECT_EQ(e.velocityX, Pace(2));
}

}  // namespace
