#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/world.h"
#include "tests/tools/replay/png_reading.h"
#include "tools/replay/replay.h"

namespace {

namespace fs = std::filesystem;

class ReplayRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(testing::TempDir()) /
             ("replay-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::set<std::string> FilesWritten() const {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  int Main(const std::vector<std::string>& arguments) {
    out.str("");
    errors.str("");
    return ReplayMain(arguments, out, errors);
  }

  fs::path folder;
  std::ostringstream out;
  std::ostringstream errors;
};

TEST_F(ReplayRunTest, WritesTheChosenFramesAsRgbPicturesOfTheScreen) {
  const std::string keys = (folder / "keys.txt").string();
  fs::create_directories(folder);
  std::ofstream(keys) << "0 1 Enter\n";
  const std::string shots = (folder / "shots").string();
  ASSERT_EQ(Main({"--frames", "5", "--keys", keys, "--shot", "1", "--every", "4", "--out", shots}),
            0)
      << errors.str();
  EXPECT_EQ(errors.str(), "");
  EXPECT_EQ(gameState, Playing) << "Enter in frames 0 and 1: cover, story, then play";

  std::set<std::string> written;
  for (const fs::directory_entry& entry : fs::directory_iterator(shots)) {
    written.insert(entry.path().filename().string());
  }
  EXPECT_EQ(written, (std::set<std::string>{"frame-00000.png", "frame-00001.png",
                                             "frame-00004.png"}));
  for (const std::string& name : written) {
    RgbaPicture picture;
    ASSERT_TRUE(ReadPng((fs::path(shots) / name).string(), &picture)) << name;
    EXPECT_EQ(picture.width, 640u);
    EXPECT_EQ(picture.height, 480u);
    EXPECT_FALSE(picture.hasAlpha) << "8-bit RGB";
  }
  EXPECT_EQ(device, nullptr) << "every graphics object released after the run";
  EXPECT_EQ(d3d, nullptr);
}

TEST_F(ReplayRunTest, TheBotTakesTheGameIntoPlay) {
  ASSERT_EQ(Main({"--bot", "--frames", "3"}), 0) << errors.str();
  EXPECT_EQ(gameState, Playing);
  EXPECT_TRUE(mapLoaded);
  EXPECT_EQ(currentMap, 11);
  EXPECT_TRUE(FilesWritten().empty());
}

TEST_F(ReplayRunTest, WithoutKeysTheCoverStays) {
  ASSERT_EQ(Main({"--frames", "3"}), 0) << errors.str();
  EXPECT_EQ(gameState, Cover);
}

TEST_F(ReplayRunTest, BadArgumentsAndScriptsEndWithStatusTwo) {
  EXPECT_EQ(Main({"--frames", "3", "--every"}), 2);
  EXPECT_EQ(errors.str(), "mirefell-replay: --every needs a value (see --help)\n");

  EXPECT_EQ(Main({"--frames", "3", "--keys", (folder / "missing.txt").string()}), 2);
  EXPECT_NE(errors.str().find("cannot read the key script"), std::string::npos) << errors.str();

  fs::create_directories(folder);
  const std::string keys = (folder / "bad.txt").string();
  std::ofstream(keys) << "0 1 Enter\n2 3 Escape\n";
  EXPECT_EQ(Main({"--frames", "3", "--keys", keys}), 2);
  EXPECT_NE(errors.str().find("bad.txt: line 2: unknown key 'Escape'"), std::string::npos)
      << errors.str();
  EXPECT_TRUE(out.str().empty());
}

TEST_F(ReplayRunTest, OutsideTheRepositoryTheMissingPicturesAreNamed) {
  const fs::path repository = fs::current_path();
  fs::create_directories(folder);
  fs::current_path(folder);
  const int status = Main({"--frames", "1"});
  fs::current_path(repository);
  EXPECT_EQ(status, 0) << "the game runs on, drawing nothing for them";
  EXPECT_EQ(errors.str(),
            "mirefell-replay: warning: 21 of 21 pictures did not load (first "
            "res/tileimage.png); run from the repository root so that res/ is found\n");
}

TEST_F(ReplayRunTest, TheDataFolderServesARunStartedElsewhere) {
  const fs::path repository = fs::current_path();
  fs::create_directories(folder);
  fs::current_path(folder);
  const int status = Main({"--frames", "1", "--shot", "0", "--out", "shots", "--data",
                           repository.string()});
  const fs::path after = fs::current_path();
  fs::current_path(repository);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(errors.str(), "") << "every picture is found";
  EXPECT_TRUE(fs::exists(folder / "shots" / "frame-00000.png")) << "the output stays where asked";
  EXPECT_EQ(after, repository);

  EXPECT_EQ(Main({"--frames", "1", "--data", (folder / "missing").string()}), 2);
  EXPECT_NE(errors.str().find("cannot use the data folder"), std::string::npos) << errors.str();
}

TEST_F(ReplayRunTest, HelpPrintsTheUsage) {
  EXPECT_EQ(Main({"--help"}), 0);
  EXPECT_EQ(out.str().rfind("usage: mirefell-replay --frames N", 0), 0u) << out.str();
  EXPECT_EQ(errors.str(), "");
}

TEST_F(ReplayRunTest, AFolderThatCannotBeMadeFailsTheRun) {
  fs::create_directories(folder);
  const fs::path blocker = folder / "file";
  std::ofstream(blocker) << "not a folder";
  EXPECT_EQ(Main({"--frames", "1", "--shot", "0", "--out", (blocker / "shots").string()}), 1);
  EXPECT_NE(errors.str().find("cannot make"), std::string::npos) << errors.str();
}

}  // namespace
