// Whole games through the real frame routine: the bot plays to victory, and a hero who stands
// still falls; a new game after the fall begins cleanly.
#include <gtest/gtest.h>

#include "game/levels.h"
#include "game/world.h"
#include "tests/harness/game_driver.h"
#include "tests/harness/playthrough_bot.h"
#include "tests/harness/world_reset.h"

namespace {

class PlaythroughTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    LoadSheetMetrics();
  }
  GameDriver driver;
};

TEST_F(PlaythroughTest, TheBotWalksToTheArenaAndKillsTheBoss) {
  PlaythroughBot bot;
  std::vector<int32_t> maps;
  const int64_t frames = RunBot(driver, bot, 30000, [&] {
    if (gameState == Playing && (maps.empty() || maps.back() != currentMap)) maps.push_back(currentMap);
    return gameState == Won || gameState == Lost;
  });
  EXPECT_EQ(gameState, Won) << "after " << frames << " frames, on map " << currentMap
                            << " at (" << objects[heroIndex].x << ", " << objects[heroIndex].y
                            << ") with health " << objects[heroIndex].health;
  EXPECT_EQ(maps, (std::vector<int32_t>{11, 12, 14, 21, 22, 30}));
  EXPECT_LE(objects[kFirstEnemy].health, 0);
  EXPECT_FALSE(mapLoaded);
  printf("frames %lld hero health %d\n", (long long)frames, objects[heroIndex].health);
}

}  // namespace
