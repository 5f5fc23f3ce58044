// Strike: a blow lands only on the faced side, takes the attacker's damage and knocks the
// target one cell on, regardless of the grid.
#include <limits>

#include "game/hero.h"
#include "tests/game/world_fixture.h"

namespace {

class StrikeTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    PlaceHero(10.0f, 10.0f);
    target = &PlaceEnemy(20, 10.0f, 10.0f, 30);
  }
  GameObject& hero = objects[heroIndex];
  GameObject* target = nullptr;
};

TEST_F(StrikeTest, EachFacingLandsOnlyOnItsSide) {
  struct Case {
    int32_t facing;
    float tx, ty;  // target position
    bool lands;
    float kx, ky;  // position after the blow
  };
  const Case cases[] = {
      {0, 10.4f, 9.9f, true, 10.4f, 8.9f},   {0, 10.0f, 10.0f, false, 10.0f, 10.0f},
      {0, 3.0f, 10.1f, false, 3.0f, 10.1f},  {2, 10.1f, 25.0f, true, 11.1f, 25.0f},
      {2, 9.9f, 10.0f, false, 9.9f, 10.0f},  {4, 10.0f, 10.5f, true, 10.0f, 11.5f},
      {4, 12.0f, 9.5f, false, 12.0f, 9.5f},  {6, 9.0f, 10.0f, true, 8.0f, 10.0f},
      {6, 10.0f, 9.0f, false, 10.0f, 9.0f},
  };
  for (const Case& c : cases) {
    hero.facing = c.facing;
    target->x = c.tx;
    target->y = c.ty;
    target->health = 30;
    Strike(heroIndex, 20);
    EXPECT_EQ(target->health, c.lands ? 20 : 30) << "facing " << c.facing << " at " << c.tx;
    EXPECT_FLOAT_EQ(target->x, c.kx) << "facing " << c.facing;
    EXPECT_FLOAT_EQ(target->y, c.ky) << "facing " << c.facing;
  }
}

TEST_F(StrikeTest, OtherFacingsNeverLand) {
  for (int32_t facing : {1, 3, 5, 7, -2, 8}) {
    hero.facing = facing;
    target->x = 11.0f;
    target->y = 11.0f;
    Strike(heroIndex, 20);
    EXPECT_EQ(target->health, 30) << "facing " << facing;
  }
}

TEST_F(StrikeTest, TheKnockBackIgnoresTheGridAndTheMarker) {
  hero.x = 0.5f;
  hero.facing = 6;
  target->x = 0.2f;
  target->y = 10.0f;
  occupancy[10][0] = -20;
  Strike(heroIndex, 20);
  EXPECT_FLOAT_EQ(target->x, -0.8f);
  EXPECT_EQ(occupancy[10][0], -20);
}

TEST_F(StrikeTest, BlowsToFellEachKind) {
  hero.facing = 2;
  struct Kind {
    int32_t health;
    int blows;
  };
  for (const Kind& k : {Kind{5, 1}, Kind{10, 1}, Kind{12, 2}, Kind{25, 3}}) {
    target->health = k.health;
    int blows = 0;
    while (target->health > 0) {
      target->x = 10.5f;
      Strike(heroIndex, 20);
      ++blows;
    }
    EXPECT_EQ(blows, k.blows) << "health " << k.health;
  }
}

TEST_F(StrikeTest, HealthStopsAtTheInt32Limit) {
  hero.facing = 2;
  hero.damage = 10;
  target->x = 11.0f;
  target->health = std::numeric_limits<int32_t>::min() + 3;
  Strike(heroIndex, 20);
  EXPECT_EQ(target->health, std::numeric_limits<int32_t>::min());
}

TEST_F(StrikeTest, IndicesOutsideTheTableAreIgnored) {
  hero.facing = 2;
  Strike(heroIndex, -500);
  Strike(-2147483647 - 1, 20);
  Strike(heroIndex, 200);
  EXPECT_EQ(target->health, 30);
}

}  // namespace
