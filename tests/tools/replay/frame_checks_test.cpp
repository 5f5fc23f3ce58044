// Whole frames of the game as the replay tool runs it: the cover against its picture, and a
// golden run from the cover into the first map whose chosen frames must not change unseen.
#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/tools/replay/png_reading.h"
#include "tools/replay/replay.h"

namespace {

// The screens after the chosen frames of a run.
std::map<int64_t, d3d9::PresentedFrame> RunAndKeep(const ReplayOptions& options,
                                                   const KeyScript& script) {
  std::map<int64_t, d3d9::PresentedFrame> kept;
  std::ostringstream errors;
  const FrameSink keep = [&](int64_t frame, const d3d9::PresentedFrame& screen, std::string*) {
    kept[frame] = screen;
    return true;
  };
  EXPECT_EQ(RunGame(options, script, keep, errors), 0) << errors.str();
  return kept;
}

// FNV-1a over the frame's colour bytes.
uint64_t Checksum(const d3d9::PresentedFrame& frame) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (uint32_t pixel : frame.pixels) {
    for (int shift : {16, 8, 0}) {
      hash ^= (pixel >> shift) & 0xFF;
      hash *= 0x100000001B3ull;
    }
  }
  return hash;
}

TEST(FrameChecks, TheCoverShowsItsPicturePixelForPixel) {
  ReplayOptions options;
  options.frames = 1;
  options.shots = {0};
  const std::map<int64_t, d3d9::PresentedFrame> kept = RunAndKeep(options, KeyScript{});
  ASSERT_EQ(kept.count(0), 1u);
  const d3d9::PresentedFrame& screen = kept.at(0);
  RgbaPicture cover;
  ASSERT_TRUE(ReadPng("res/cover.png", &cover));
  ASSERT_EQ(screen.width, cover.width);
  ASSERT_EQ(screen.height, cover.height);

  int opaque = 0, unlike = 0, keyedNotBlack = 0;
  for (size_t i = 0; i < cover.pixels.size(); ++i) {
    const uint32_t source = cover.pixels[i];
    const uint32_t shown = screen.pixels[i] & 0xFFFFFF;
    if (source == 0xFF6A4C30u) {
      keyedNotBlack += shown != 0;  // the key is transparent: the cleared black shows
    } else if (source >> 24 == 0xFF) {
      ++opaque;
      unlike += shown != (source & 0xFFFFFF);
    }
  }
  EXPECT_GT(opaque, 640 * 480 / 2);
  EXPECT_EQ(unlike, 0) << "of " << opaque << " opaque pixels";
  EXPECT_EQ(keyedNotBlack, 0);
}

// From the cover into map 11: walking, turning and striking. A change to any drawing (or to
// the game's steps, or to the pictures) changes these frames; look at them with
//   build/mirefell-replay --frames 71 --keys KEYS --shot N --out DIR
// and, when the change is meant, put the new checksums here.
constexpr char kGoldenKeys[] =
    "0 1 Enter\n"
    "2 20 Up\n"
    "21 32 Right\n"
    "33 44 Space\n"
    "45 70 Left Space\n";

struct GoldenFrame {
  int64_t frame;
  uint64_t checksum;
};
constexpr GoldenFrame kGoldenFrames[] = {
    {0, 0x9a422756c365b758},   // the cover
    {1, 0x8de50c1a66df62b0},   // the story
    {2, 0x2a634ccfb6406852},   // map 11 entered, the hero behind the ruin
    {20, 0x3dca0abb5afdbabc},  // walked up-right
    {32, 0x6a66faf702854aae},  // walked down-right
    {44, 0x6986c231e9555e49},  // a blow
    {70, 0x5d8aa2bb05a6b94e},  // walking up-left, striking
};

TEST(FrameChecks, AGoldenRunIntoTheFirstMapKeepsItsFrames) {
  std::istringstream keys(kGoldenKeys);
  KeyScript script;
  std::string error;
  ASSERT_TRUE(ParseKeyScript(keys, &script, &error)) << error;
  ReplayOptions options;
  options.frames = 71;
  for (const GoldenFrame& golden : kGoldenFrames) options.shots.push_back(golden.frame);
  const std::map<int64_t, d3d9::PresentedFrame> kept = RunAndKeep(options, script);
  for (const GoldenFrame& golden : kGoldenFrames) {
    ASSERT_EQ(kept.count(golden.frame), 1u);
    EXPECT_EQ(Checksum(kept.at(golden.frame)), golden.checksum)
        << "frame " << golden.frame << ": 0x" << std::hex << Checksum(kept.at(golden.frame));
  }
}

}  // namespace
