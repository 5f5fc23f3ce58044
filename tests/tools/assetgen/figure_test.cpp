// Posing figures: the four facings point where the map's directions go on screen, the right
// hand lies to the right of the front, and parts are drawn from the farthest to the nearest.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tools/assetgen/figure.h"

namespace {

// Screen offset of a step of 10 along the facing's front, from feet at (0, 0).
Vec2 StepOnScreen(const Facing& f) { return Project(f.forward * 10, 0, 0); }

TEST(FigureTest, FacingsPointWhereTheMapDirectionsGo) {
  const Vec2 upRight = StepOnScreen(FacingOf(0));
  const Vec2 downRight = StepOnScreen(FacingOf(2));
  const Vec2 downLeft = StepOnScreen(FacingOf(4));
  const Vec2 upLeft = StepOnScreen(FacingOf(6));
  EXPECT_TRUE(upRight.x > 0 && upRight.y < 0);
  EXPECT_TRUE(downRight.x > 0 && downRight.y > 0);
  EXPECT_TRUE(downLeft.x < 0 && downLeft.y > 0);
  EXPECT_TRUE(upLeft.x < 0 && upLeft.y < 0);
  // As on the map, a diagonal step moves twice as far across as down.
  EXPECT_NEAR(std::fabs(downRight.x), 2 * std::fabs(downRight.y), 1e-4);
  const Vec2 toViewer = StepOnScreen(FacingOf(3));
  EXPECT_NEAR(toViewer.x, 0, 1e-6);
  EXPECT_GT(toViewer.y, 0);
}

TEST(FigureTest, TheRightHandIsOnTheRightOfTheFront) {
  for (int direction : {0, 2, 3, 4, 6}) {
    const Facing f = FacingOf(direction);
    // Looking along forward with z up, right = forward x up.
    const Vec3 right = Cross(f.forward, Vec3{0, 0, 1});
    EXPECT_NEAR(Dot(right, f.right), 1, 1e-5) << direction;
    const Facing turned = f.Turned(0.6f);
    EXPECT_NEAR(Dot(turned.forward, turned.right), 0, 1e-5);
    EXPECT_GT(Dot(turned.forward, f.right), 0) << "a positive turn leans toward the right hand";
  }
  // Facing the viewer, the right hand shows on the screen's left.
  EXPECT_LT(Project(FacingOf(3).right, 0, 0).x, 0);
}

TEST(FigureTest, PartsAreDrawnFarthestFirst) {
  std::vector<int> order;
  PartList parts;
  parts.Add(0, [&](Canvas&) { order.push_back(1); });
  parts.Add(5, [&](Canvas&) { order.push_back(2); });
  parts.Add(0, [&](Canvas&) { order.push_back(3); });
  parts.Add(-5, [&](Canvas&) { order.push_back(4); });
  Canvas c(1, 1);
  parts.DrawAll(c);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3, 4}));
}

TEST(FigureTest, RodsAndBallsGetADarkRim) {
  const Ramp ramp{Hex(0x101010), Hex(0x404040), Hex(0x808080), Hex(0xC0C0C0)};
  Canvas c(20, 20);
  Ball(c, {10, 10}, 5, 5, ramp);
  EXPECT_EQ(c.Get(10, 4), ramp.dark) << "the rim above the ball";
  EXPECT_EQ(c.Get(10, 15), ramp.dark);
  EXPECT_NE(c.Get(10, 10), ramp.dark);
  EXPECT_EQ(c.Get(10, 3), kClear);
}

}  // namespace
