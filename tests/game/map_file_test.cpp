// LoadMap: formatted reading of 2,048 numbers into the two layers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "game/map_file.h"
#include "tests/game/world_fixture.h"

namespace {

class LoadMapTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    folder = std::filesystem::temp_directory_path() /
             ("mirefell-map-" + std::to_string(::getpid()) +
              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    // What the previous map left behind: every cell 9.
    for (auto& layer : tileMap)
      for (auto& row : layer)
        for (int32_t& cell : row) cell = 9;
  }
  void TearDown() override {
    std::filesystem::remove_all(folder);
    WorldTest::TearDown();
  }

  // Writes the text to a file and loads it.
  void Load(const std::string& text) {
    const std::string path = (folder / "map.txt").string();
    std::ofstream(path, std::ios::binary) << text;
    LoadMap(path.c_str());
  }

  // Numbers 1, 2, 3, ... count of them, separated by `gap`.
  static std::string Counting(int count, const std::string& gap = " ") {
    std::string text;
    for (int k = 1; k <= count; ++k) text += std::to_string(k) + gap;
    return text;
  }

  // Cell k in file order.
  static int32_t Cell(int k) { return tileMap[k / 1024][(k / 32) % 32][k % 32]; }

  std::filesystem::path folder;
};

TEST_F(LoadMapTest, NumbersFillGroundThenOccupancyRowByRow) {
  Load(Counting(2048));
  EXPECT_EQ(ground[0][0], 1);
  EXPECT_EQ(ground[0][31], 32);
  EXPECT_EQ(ground[1][0], 33);
  EXPECT_EQ(ground[31][31], 1024);
  EXPECT_EQ(occupancy[0][0], 1025);
  EXPECT_EQ(occupancy[14][27], 1025 + 14 * 32 + 27);
  EXPECT_EQ(occupancy[31][31], 2048);
}

TEST_F(LoadMapTest, LineStructureCarriesNoMeaning) {
  Load(Counting(2048, "\r\n\t "));
  for (int k = 0; k < 2048; ++k) ASSERT_EQ(Cell(k), k + 1) << "cell " << k;
  for (auto& layer : tileMap)
    for (auto& row : layer)
      for (int32_t& cell : row) cell = 9;
  Load(Counting(2048, "\v\f"));
  for (int k = 0; k < 2048; ++k) ASSERT_EQ(Cell(k), k + 1) << "cell " << k;
}

TEST_F(LoadMapTest, SignsAndLeadingZeros) {
  Load("007 +7 -7 -0 +0 0000000000000000000000042 -2147483648 2147483647");
  EXPECT_EQ(Cell(0), 7);
  EXPECT_EQ(Cell(1), 7);
  EXPECT_EQ(Cell(2), -7);
  EXPECT_EQ(Cell(3), 0);
  EXPECT_EQ(Cell(4), 0);
  EXPECT_EQ(Cell(5), 42);
  EXPECT_EQ(Cell(6), -2147483647 - 1);
  EXPECT_EQ(Cell(7), 2147483647);
  EXPECT_EQ(Cell(8), 9) << "the file ended: the rest keeps the previous map";
}

TEST_F(LoadMapTest, AFileOf1500NumbersLeavesTheRestOfOccupancy) {
  Load(Counting(1500));
  EXPECT_EQ(ground[31][31], 1024);
  EXPECT_EQ(occupancy[13][31], 1025 + 13 * 32 + 31);
  EXPECT_EQ(occupancy[14][27], 1500) << "the 476th cell of occupancy";
  EXPECT_EQ(occupancy[14][28], 9);
  EXPECT_EQ(occupancy[31][31], 9);
}

TEST_F(LoadMapTest, ADecimalPointStoresTheWholePartThenStops) {
  Load("1 3.5 4 5");
  EXPECT_EQ(Cell(0), 1);
  EXPECT_EQ(Cell(1), 3);
  EXPECT_EQ(Cell(2), 9) << "the read fails at the point, not at the 5";
  EXPECT_EQ(Cell(3), 9);
}

TEST_F(LoadMapTest, NumbersBeyondInt32StopTheReading) {
  Load("1 2147483648 3");
  EXPECT_EQ(Cell(0), 1);
  EXPECT_EQ(Cell(1), 9);
  EXPECT_EQ(Cell(2), 9);
  Load("4 -2147483649 5");
  EXPECT_EQ(Cell(0), 4);
  EXPECT_EQ(Cell(1), 9);
  Load("6 99999999999999999999999999 7");
  EXPECT_EQ(Cell(0), 6);
  EXPECT_EQ(Cell(1), 9);
  EXPECT_EQ(Cell(2), 9);
}

TEST_F(LoadMapTest, TokensThatStartNoNumberStopTheReading) {
  Load("1 + 2");
  EXPECT_EQ(Cell(0), 1);
  EXPECT_EQ(Cell(1), 9) << "a sign must be followed by a digit";
  Load("5 -x 6");
  EXPECT_EQ(Cell(1), 9);
  Load("7 8abc 10");
  EXPECT_EQ(Cell(0), 7);
  EXPECT_EQ(Cell(1), 8);
  EXPECT_EQ(Cell(2), 9);
  Load("11 0x1F");
  EXPECT_EQ(Cell(1), 0) << "the 0 of 0x1F is read, the x stops";
  EXPECT_EQ(Cell(2), 9);
}

TEST_F(LoadMapTest, TextAfterThe2048thNumberChangesNothing) {
  Load(Counting(2048) + " 5000 nonsense 3.5 99999999999");
  EXPECT_EQ(occupancy[31][31], 2048);
  for (int k = 0; k < 2048; ++k) ASSERT_EQ(Cell(k), k + 1) << "cell " << k;
}

TEST_F(LoadMapTest, AMissingFileKeepsThePreviousMapMarkersIncluded) {
  occupancy[9][11] = -20;
  LoadMap((folder / "no-such-map.txt").string().c_str());
  EXPECT_EQ(occupancy[9][11], -20);
  EXPECT_EQ(ground[0][0], 9);
  LoadMap(folder.string().c_str());  // a folder opens but reads nothing
  EXPECT_EQ(ground[0][0], 9);
}

TEST(MarkedObject, NamesOnlyRecordsOfTheTable) {
  EXPECT_EQ(MarkedObject(0), 0);
  EXPECT_EQ(MarkedObject(-1), 1);
  EXPECT_EQ(MarkedObject(-199), 199);
  EXPECT_EQ(MarkedObject(-200), -1);
  EXPECT_EQ(MarkedObject(-500), -1);
  EXPECT_EQ(MarkedObject(-2147483647 - 1), -1);
  EXPECT_EQ(MarkedObject(5), -1);
}

}  // namespace
