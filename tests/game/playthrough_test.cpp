// Whole games through the real frame routine: the bot plays to victory; a hero who stands
// still falls, and the game after that begins cleanly.
#include <string>
#include <vector>

#include "game/harness/game_driver.h"
#include "game/harness/playthrough_bot.h"
#include "game/levels.h"
#include "tests/game/world_fixture.h"

namespace {

class PlaythroughTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    win32::InjectKeyState(nullptr);  // the driver brings its own keys
  }
  std::string Where() const {
    const GameObject& hero = objects[heroIndex];
    return "state " + std::to_string(gameState) + " on map " + std::to_string(currentMap) +
           " at (" + std::to_string(hero.x) + ", " + std::to_string(hero.y) + ") health " +
           std::to_string(hero.health);
  }
  GameDriver driver;
};

TEST_F(PlaythroughTest, TheBotWalksMapToMapToTheArenaAndKillsTheBoss) {
  PlaythroughBot bot;
  std::vector<int32_t> maps;
  const int64_t frames = RunBot(driver, bot, 20000, [&] {
    if (gameState == Playing && mapLoaded && (maps.empty() || maps.back() != currentMap))
      maps.push_back(currentMap);
    return gameState == Won || gameState == Lost;
  });
  ASSERT_EQ(gameState, Won) << "after " << frames << " frames, " << Where();
  EXPECT_EQ(maps, (std::vector<int32_t>{11, 12, 14, 21, 22, 30}));
  EXPECT_LE(objects[kFirstEnemy].health, 0);
  EXPECT_GT(objects[heroIndex].health, 0);
  EXPECT_FALSE(mapLoaded);

  // Enter leads back to the cover.
  driver.Frame(kKeyEnter);
  EXPECT_EQ(gameState, Cover);
}

TEST_F(PlaythroughTest, AHeroWhoStandsStillFallsAndTheNextGameBeginsAfresh) {
  PlaythroughBot bot(PlaythroughBot::Plan::kStandStill);
  const int64_t frames = RunBot(driver, bot, 200000, [] { return gameState == Lost; });
  ASSERT_EQ(gameState, Lost) << "after " << frames << " frames, " << Where();
  EXPECT_EQ(currentMap, kFirstMap);
  EXPECT_FALSE(mapLoaded);
  EXPECT_LE(objects[heroIndex].health, 0);

  driver.Frame(0);
  EXPECT_EQ(gameState, Lost) << "the defeat picture waits for Enter";
  driver.Frame(kKeyEnter);
  EXPECT_EQ(gameState, Cover);
  driver.Frame(kKeyEnter);
  EXPECT_EQ(gameState, Story);
  driver.Frame(kKeyEnter);
  ASSERT_EQ(gameState, Playing);
  EXPECT_EQ(objects[heroIndex].health, 20);

  driver.Frame(0);  // map 11 is entered afresh
  EXPECT_TRUE(mapLoaded);
  EXPECT_EQ(currentMap, kFirstMap);
  EXPECT_FLOAT_EQ(objects[heroIndex].x, 25.0f);
  EXPECT_FLOAT_EQ(objects[heroIndex].y, 25.0f);
  EXPECT_EQ(objects[heroIndex].health, 20);
  for (int i = kFirstEnemy; i < kFirstEnemy + kEnemySlots; ++i) {
    const GameObject& e = objects[i];
    EXPECT_TRUE(e.alive) << "record " << i;
    EXPECT_EQ(e.health, 5) << "record " << i;
    EXPECT_EQ(occupancy[static_cast<int>(e.y)][static_cast<int>(e.x)], -i) << "record " << i;
  }
  // Only this game's five slimes are marked: the old markers went with the file's reread.
  int markers = 0;
  for (auto& row : occupancy)
    for (int32_t v : row) markers += v < 0;
  EXPECT_EQ(markers, 5);
}

TEST_F(PlaythroughTest, AReplayOfTheBotsKeysPlaysTheSameGame) {
  PlaythroughBot bot;
  std::vector<KeySet> script;
  while (gameState != Won && gameState != Lost && script.size() < 20000) {
    script.push_back(bot.NextKeys());
    driver.Frame(script.back());
  }
  ASSERT_EQ(gameState, Won);
  const GameObject boss = objects[kFirstEnemy];
  const GameObject hero = objects[heroIndex];
  const uint32_t state = randomState;

  ResetWorld();
  LoadSheetMetrics();
  driver.Replay(script);
  EXPECT_EQ(gameState, Won);
  EXPECT_EQ(objects[kFirstEnemy].x, boss.x);
  EXPECT_EQ(objects[kFirstEnemy].y, boss.y);
  EXPECT_EQ(objects[heroIndex].x, hero.x);
  EXPECT_EQ(objects[heroIndex].health, hero.health);
  EXPECT_EQ(randomState, state);
}

}  // namespace
