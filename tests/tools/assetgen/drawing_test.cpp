// The drawing library: hard-edged shapes sampled at pixel centres, outlines only on clear
// pixels, safe writes beyond the edges, blending for lettering, and FreeType lettering.
#include <gtest/gtest.h>

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/lettering.h"
#include "tools/assetgen/pictures.h"

namespace {

constexpr Rgba kRed = Hex(0xC03020);
constexpr Rgba kInkColour = Hex(0x101010);

int CountOf(const Canvas& c, Rgba colour) {
  int n = 0;
  for (const Rgba& p : c.pixels()) n += p == colour;
  return n;
}

TEST(DrawingTest, ShapesCoverPixelCentresOnly) {
  Canvas c(10, 10);
  FillPolygon(c, {{2, 2}, {6, 2}, {6, 6}, {2, 6}}, kRed);
  EXPECT_EQ(CountOf(c, kRed), 16);
  EXPECT_EQ(c.Get(2, 2), kRed);
  EXPECT_EQ(c.Get(5, 5), kRed);
  EXPECT_EQ(c.Get(6, 6), kClear);
  Canvas e(20, 20);
  FillEllipse(e, 10, 10, 4, 4, kRed);
  EXPECT_EQ(e.Get(10, 10), kRed);
  EXPECT_EQ(e.Get(10, 14), kClear) << "the centre of (10, 14) lies 4.5 from the middle";
  EXPECT_EQ(e.Get(10, 13), kRed);
}

TEST(DrawingTest, OutlineRingsOnlyClearPixelsSideOn) {
  Canvas c(5, 5);
  c.Set(2, 2, kRed);
  Outline(c, kInkColour);
  EXPECT_EQ(c.Get(2, 2), kRed);
  EXPECT_EQ(CountOf(c, kInkColour), 4);
  EXPECT_EQ(c.Get(1, 2), kInkColour);
  EXPECT_EQ(c.Get(2, 3), kInkColour);
  EXPECT_EQ(c.Get(1, 1), kClear) << "corners stay clear";
}

TEST(DrawingTest, ShapesPastTheEdgesAreCut) {
  Canvas c(8, 8);
  FillCapsule(c, {-20, -20}, {30, 30}, 3, kRed);
  ShadeEllipse(c, 100, 100, 50, 50, Ramp{kRed, kRed, kRed, kRed});
  DitherEllipse(c, -4, 4, 6, 6, kRed);
  EXPECT_EQ(c.Get(-1, 0), kClear);
  EXPECT_EQ(c.Get(4, 4), kRed);
  EXPECT_EQ(c.pixels().size(), 64u);
}

TEST(DrawingTest, BlendMixesByCoverageOverOpaqueGround) {
  Canvas c(3, 1);
  for (int x = 0; x < 3; ++x) c.Set(x, 0, Hex(0x000000));
  c.Blend(0, 0, Hex(0xFFFFFF), 0);
  c.Blend(1, 0, Hex(0xFFFFFF), 255);
  c.Blend(2, 0, Hex(0xFFFFFF), 128);
  EXPECT_EQ(c.Get(0, 0), Hex(0x000000));
  EXPECT_EQ(c.Get(1, 0), Hex(0xFFFFFF));
  EXPECT_EQ(c.Get(2, 0), Hex(0x808080));
}

TEST(DrawingTest, StripsHoldEightFramesARow) {
  std::vector<Canvas> frames;
  for (int i = 0; i < 12; ++i) {
    Canvas f(kFrameSize, kFrameSize);
    f.Set(i, 0, kRed);
    frames.push_back(f);
  }
  const Canvas strip = AssembleStrip(frames);
  EXPECT_EQ(strip.width(), 8 * kFrameSize);
  EXPECT_EQ(strip.height(), 2 * kFrameSize);
  EXPECT_EQ(strip.Get(kFrameSize * 3 + 3, 0), kRed);
  EXPECT_EQ(strip.Get(kFrameSize * 1 + 9, kFrameSize), kRed) << "frame 9: second row";
  EXPECT_EQ(StripFrame(strip, 10).Get(10, 0), kRed);
}

TEST(LetteringTest, HardTextHasNoInBetweenCoverage) {
  const TextMask hard = SetText(kSerifBoldFont, "Mirefell", 24, true);
  const TextMask soft = SetText(kSerifBoldFont, "Mirefell", 24, false);
  ASSERT_GT(hard.width, 40);
  ASSERT_GT(hard.height, 20);
  int inked = 0, between = 0;
  for (uint8_t v : hard.coverage) {
    inked += v == 255;
    EXPECT_TRUE(v == 0 || v == 255);
  }
  for (uint8_t v : soft.coverage) between += v > 0 && v < 255;
  EXPECT_GT(inked, 100);
  EXPECT_GT(between, 0) << "smooth text is anti-aliased";
  const TextMask grown = Grow(hard, 3);
  EXPECT_EQ(grown.width, hard.width + 6);
  EXPECT_EQ(Enlarge(hard, 2).height, hard.height * 2);
}

TEST(LetteringTest, AMissingFontIsAnError) {
  EXPECT_THROW(SetText("/nonexistent/font.ttf", "x", 12, false), std::runtime_error);
}

}  // namespace
