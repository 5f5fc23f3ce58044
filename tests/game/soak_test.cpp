// Long runs of seeded random key input through the real frame routine, with the world's
// invariants checked after every frame.
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "game/harness/game_driver.h"
#include "game/levels.h"
#include "game/map_file.h"
#include "tests/game/world_fixture.h"

namespace {

// Keys held for a random number of frames, Enter seldom, so that most frames are played.
class RandomKeys {
 public:
  explicit RandomKeys(uint32_t seed) : random_(seed) {}
  KeySet Next() {
    if (held_ == 0) {
      keys_ = static_cast<KeySet>(random_() & (kKeyLeft | kKeyRight | kKeyUp | kKeyDown));
      if (random_() % 3 == 0) keys_ |= kKeySpace;
      if (random_() % 40 == 0) keys_ |= kKeyEnter;
      held_ = 1 + random_() % 40;
    }
    --held_;
    return keys_;
  }

 private:
  std::mt19937 random_;
  KeySet keys_ = 0;
  uint32_t held_ = 0;
};

bool IsFinite(const GameObject& o) {
  return std::isfinite(o.x) && std::isfinite(o.y) && std::isfinite(o.velocityX) &&
         std::isfinite(o.velocityY) && std::isfinite(o.heroDistance);
}

// The empty string when the world is sound, else what is wrong.
std::string Check() {
  std::ostringstream fault;
  if (gameState < Cover || gameState > Won) fault << "game state " << gameState << "; ";
  if (FindLevel(currentMap) == nullptr) fault << "current map " << currentMap << "; ";
  for (int i : {1, 20, 21, 22, 23, 24}) {
    const GameObject& o = objects[i];
    if (!IsFinite(o)) fault << "record " << i << " not finite; ";
    if (o.sheet != -1 && !IsSheetIndex(o.sheet)) {
      fault << "record " << i << " sheet " << o.sheet << "; ";
    }
    if (o.frameCount > 0 && (o.frame < 0 || o.frame >= o.frameCount))
      fault << "record " << i << " frame " << o.frame << "; ";
    // Actors stay near the grid: knock-backs carry them at most a cell or two past its edge.
    if (std::fabs(o.x - 16.0f) > 19.0f || std::fabs(o.y - 16.0f) > 19.0f)
      fault << "record " << i << " at (" << o.x << ", " << o.y << "); ";
  }
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int32_t v = occupancy[y][x];
      if (v >= 0) continue;
      // The map files hold no markers: every marker was written by an actor of the game.
      const int32_t i = MarkedObject(v);
      if (i != heroIndex && (i < 20 || i > 24)) {
        fault << "marker " << v << " at (" << x << ", " << y << "); ";
      }
    }
  return fault.str();
}

class SoakTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    win32::InjectKeyState(nullptr);  // the driver brings its own keys
  }
};

TEST_F(SoakTest, HundredThousandFramesOfRandomKeysKeepTheWorldSound) {
  GameDriver driver;
  RandomKeys randomKeys(20240601);
  int playing = 0, games = 0, mapsEntered = 0;
  int32_t lastMap = currentMap;
  for (int frame = 0; frame < 100000; ++frame) {
    const GameState before = gameState;
    driver.Frame(randomKeys.Next());
    const std::string fault = Check();
    ASSERT_EQ(fault, "") << "after frame " << frame;
    playing += gameState == Playing;
    games += before != Story && gameState == Story;
    mapsEntered += currentMap != lastMap;
    lastMap = currentMap;
  }
  // The run must have exercised the game, not just the pictures.
  EXPECT_GT(playing, 50000);
  EXPECT_GT(games, 3);
  EXPECT_GT(mapsEntered, 3);
}

TEST_F(SoakTest, ForeignMarkersInAPlayedMapIndexNothing) {
  GameDriver driver;
  RandomKeys randomKeys(7);
  for (int frame = 0; frame < 3; ++frame) driver.Frame(kKeyEnter);
  ASSERT_EQ(gameState, Playing);
  driver.Frame(0);  // enters map 11
  ASSERT_TRUE(mapLoaded);
  // Sprinkle the map with markers of no record, as a damaged file could hold them.
  std::mt19937 random(11);
  const int32_t foreign[] = {-200, -500, -2147483647 - 1, -65536, -1000000};
  for (int n = 0; n < 200; ++n) occupancy[random() % 32][random() % 32] = foreign[n % 5];
  for (int frame = 0; frame < 5000 && gameState == Playing; ++frame) {
    KeySet k = randomKeys.Next();
    driver.Frame(static_cast<KeySet>(k & ~kKeyEnter));
    ASSERT_TRUE(IsFinite(objects[heroIndex])) << "after frame " << frame;
  }
}

}  // namespace
