#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/replay/replay_options.h"

namespace {

bool Parse(const std::vector<std::string>& arguments, ReplayOptions* options,
           std::string* error) {
  return ParseReplayArguments(arguments, options, error);
}

TEST(ReplayOptions, ReadsEveryOption) {
  ReplayOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--frames", "100", "--keys", "k.txt", "--shot", "40", "--shot", "7",
                     "--shot", "40", "--every", "25", "--out", "shots"},
                    &options, &error))
      << error;
  EXPECT_EQ(options.frames, 100);
  EXPECT_EQ(options.keysFile, "k.txt");
  EXPECT_FALSE(options.bot);
  EXPECT_EQ(options.shots, (std::vector<int64_t>{7, 40})) << "sorted, each once";
  EXPECT_EQ(options.every, 25);
  EXPECT_EQ(options.outDir, "shots");
  EXPECT_FALSE(options.help);

  ASSERT_TRUE(Parse({"--bot", "--frames", "5"}, &options, &error)) << error;
  EXPECT_TRUE(options.bot);
  EXPECT_TRUE(options.outDir.empty()) << "no frames written, so no folder needed";

  ASSERT_TRUE(Parse({"--frames", "nonsense", "--help"}, &options, &error));
  EXPECT_TRUE(options.help) << "help is given before the arguments are judged";
}

struct BadArguments {
  std::vector<std::string> arguments;
  const char* complaint;
};

TEST(ReplayOptions, RefusesBadArgumentsWithAReason) {
  const BadArguments cases[] = {
      {{}, "--frames N (at least 1) is required"},
      {{"--frames", "0"}, "--frames N (at least 1) is required"},
      {{"--frames"}, "--frames needs a value"},
      {{"--frames", "-3"}, "--frames takes a whole number"},
      {{"--frames", "12k"}, "--frames takes a whole number"},
      {{"--frames", "100000001"}, "--frames takes a whole number"},
      {{"--frames", "9", "--shot", "9", "--out", "d"}, "--shot 9 lies beyond the last frame, 8"},
      {{"--frames", "9", "--every", "0", "--out", "d"}, "--every takes a step of 1 or more"},
      {{"--frames", "9", "--shot", "1"}, "--out DIR is required"},
      {{"--frames", "9", "--every", "2"}, "--out DIR is required"},
      {{"--frames", "9", "--out", ""}, "--out needs a folder name"},
      {{"--frames", "9", "--keys", ""}, "--keys needs a file name"},
      {{"--frames", "9", "--keys", "k", "--bot"}, "--keys and --bot exclude each other"},
      {{"--frames", "9", "--fast"}, "unknown argument '--fast'"},
      {{"9"}, "unknown argument '9'"},
  };
  for (const BadArguments& bad : cases) {
    ReplayOptions options;
    options.frames = 77;
    std::string error;
    EXPECT_FALSE(Parse(bad.arguments, &options, &error)) << bad.complaint;
    EXPECT_NE(error.find(bad.complaint), std::string::npos) << error;
    EXPECT_EQ(options.frames, 77) << "options are left alone on failure";
  }
}

TEST(ReplayOptions, SelectsTheShotsAndEveryKthFrameFromZero) {
  ReplayOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--frames", "31", "--every", "10", "--shot", "3", "--shot", "25", "--out",
                     "d"},
                    &options, &error))
      << error;
  std::vector<int64_t> selected;
  for (int64_t frame = 0; frame < options.frames; ++frame) {
    if (IsFrameSelected(options, frame)) selected.push_back(frame);
  }
  EXPECT_EQ(selected, (std::vector<int64_t>{0, 3, 10, 20, 25, 30}));

  ASSERT_TRUE(Parse({"--frames", "31"}, &options, &error));
  for (int64_t frame = 0; frame < options.frames; ++frame) {
    EXPECT_FALSE(IsFrameSelected(options, frame)) << frame;
  }
}

TEST(ReplayOptions, NamesFilesSoThatTheySortByFrame) {
  EXPECT_EQ(FrameFileName(0), "frame-00000.png");
  EXPECT_EQ(FrameFileName(42), "frame-00042.png");
  EXPECT_EQ(FrameFileName(123456), "frame-123456.png");
}

}  // namespace
