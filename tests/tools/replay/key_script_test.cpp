#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tools/replay/key_script.h"

namespace {

TEST(KeyScript, HoldsTheUnionOfTheLinesThatCoverAFrame) {
  std::istringstream in(
      "# from the cover into play\n"
      "0 1 Enter\n"
      "\n"
      "5\t9  Right   # walk\r\n"
      "8 8 Space Up\n"
      "   \n");
  KeyScript script;
  std::string error;
  ASSERT_TRUE(ParseKeyScript(in, &script, &error)) << error;
  ASSERT_EQ(script.Lines().size(), 3u);
  EXPECT_EQ(script.KeysAt(0), kKeyEnter);
  EXPECT_EQ(script.KeysAt(1), kKeyEnter);
  EXPECT_EQ(script.KeysAt(2), 0);
  EXPECT_EQ(script.KeysAt(5), kKeyRight);
  EXPECT_EQ(script.KeysAt(8), kKeyRight | kKeySpace | kKeyUp);
  EXPECT_EQ(script.KeysAt(9), kKeyRight);
  EXPECT_EQ(script.KeysAt(10), 0);
}

TEST(KeyScript, KnowsEveryKeyByItsNameOnly) {
  EXPECT_EQ(KeyNamed("Left"), kKeyLeft);
  EXPECT_EQ(KeyNamed("Right"), kKeyRight);
  EXPECT_EQ(KeyNamed("Up"), kKeyUp);
  EXPECT_EQ(KeyNamed("Down"), kKeyDown);
  EXPECT_EQ(KeyNamed("Space"), kKeySpace);
  EXPECT_EQ(KeyNamed("Enter"), kKeyEnter);
  EXPECT_EQ(KeyNamed("enter"), 0);
  EXPECT_EQ(KeyNamed("Escape"), 0);
  EXPECT_EQ(KeyNamed(""), 0);
}

struct BadLine {
  const char* text;
  const char* complaint;
};

TEST(KeyScript, RefusesMalformedLinesNamingTheLine) {
  const BadLine cases[] = {
      {"1 2", "expected FIRST LAST KEY"},
      {"7 Left", "expected FIRST LAST KEY"},
      {"a 2 Left", "frame numbers"},
      {"1 2x Left", "frame numbers"},
      {"-1 2 Left", "frame numbers"},
      {"+1 2 Left", "frame numbers"},
      {"1 99999999999999999999 Left", "frame numbers"},
      {"5 3 Left", "LAST comes before FIRST"},
      {"1 2 Left Jump", "unknown key 'Jump'"},
      {"1 2 left", "unknown key 'left'"},
  };
  for (const BadLine& bad : cases) {
    std::istringstream in(std::string("0 0 Enter\n# fine so far\n") + bad.text + "\n0 0 Up\n");
    KeyScript script;
    std::string error;
    EXPECT_FALSE(ParseKeyScript(in, &script, &error)) << bad.text;
    EXPECT_EQ(error.rfind("line 3: ", 0), 0u) << bad.text << " -> " << error;
    EXPECT_NE(error.find(bad.complaint), std::string::npos) << bad.text << " -> " << error;
    EXPECT_EQ(script.Lines().size(), 1u) << "only the lines before the bad one";
  }
}

}  // namespace
