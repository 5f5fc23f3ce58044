// Strips stepping on the frame clock.
#include <cstring>

#include <gtest/gtest.h>

#include "game/animation.h"
#include "game/world.h"

namespace {

class AnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(objects, 0, sizeof objects);
    std::memset(sheets, 0, sizeof sheets);
    frameTime = 1000;
    // Sheet 30: a picture two frames wide holding four 10 x 20 frames, 25 ms apart.
    sheets[30] = SpriteSheet{nullptr, 20, 40, 10, 20, 4, 25, 5, 5};
    // Sheet 31: one frame.
    sheets[31] = SpriteSheet{nullptr, 10, 20, 10, 20, 1, 25, 5, 5};
    objects[5].sheet = -1;
  }
  void Step() {
    frameTime += 40;
    StepAnimation(5);
  }
  const GameObject& o = objects[5];
};

TEST_F(AnimationTest, FramesWrapToTheNextRowAtThePicturesWidth) {
  PlayStrip(5, 30);
  Step();
  EXPECT_EQ(o.frame, 1);
  EXPECT_EQ(o.sourceRect.left, 10);
  EXPECT_EQ(o.sourceRect.top, 0);
  Step();
  EXPECT_EQ(o.frame, 2);
  EXPECT_EQ(o.sourceRect.left, 0);
  EXPECT_EQ(o.sourceRect.top, 20);
  EXPECT_EQ(o.sourceRect.right, 10);
  EXPECT_EQ(o.sourceRect.bottom, 40);
  Step();
  Step();  // the last frame has been shown for one delay
  EXPECT_FALSE(o.playing);
  EXPECT_EQ(o.frame, 3);
  EXPECT_EQ(o.sourceRect.left, 10);
  EXPECT_EQ(o.sourceRect.top, 20);
}

TEST_F(AnimationTest, NoStepBeforeTheDelayHasPassed) {
  PlayStrip(5, 30);
  objects[5].lastFrameTime = frameTime;
  frameTime += 24;
  StepAnimation(5);
  EXPECT_EQ(o.frame, 0);
  frameTime += 1;
  StepAnimation(5);
  EXPECT_EQ(o.frame, 1);
}

TEST_F(AnimationTest, TheClockComparisonIsUnsignedWithAWrappingSum) {
  PlayStrip(5, 30);
  // lastFrameTime + delay wraps to 9: a clock at 5 is before it, one at 0xFFFFFFF8 past it.
  objects[5].lastFrameTime = 0xFFFFFFF0u;
  frameTime = 5;
  StepAnimation(5);
  EXPECT_EQ(o.frame, 0);
  objects[5].lastFrameTime = 0xFFFFFFF0u;
  frameTime = 0xFFFFFFF8u;
  StepAnimation(5);
  EXPECT_EQ(o.frame, 1);
  // A clock that wrapped while the sum did not stays below it: no step.
  objects[5].lastFrameTime = 0xFFFFFFC0u;
  frameTime = 0x10u;
  StepAnimation(5);
  EXPECT_EQ(o.frame, 1);
}

TEST_F(AnimationTest, PlayingARunningStripDoesNotRewindIt) {
  PlayStrip(5, 30);
  Step();
  Step();
  PlayStrip(5, 30);
  EXPECT_EQ(o.frame, 2);
}

TEST_F(AnimationTest, AStripStoppedAtItsEndRestartsWhenPlayedAgain) {
  PlayStrip(5, 30);
  for (int i = 0; i < 4; ++i) Step();
  ASSERT_FALSE(o.playing);
  frameTime += 40;
  PlayStrip(5, 30);
  EXPECT_TRUE(o.playing);
  EXPECT_EQ(o.frame, 0);
  EXPECT_EQ(o.lastFrameTime, frameTime);
  StepAnimation(5);
  EXPECT_EQ(o.frame, 0) << "the rewind restarted the clock";
}

TEST_F(AnimationTest, SwitchingARunningStripStartsTheNewOneAtFrameZero) {
  PlayStrip(5, 30);
  Step();
  PlayStrip(5, 31);
  EXPECT_TRUE(o.playing);
  EXPECT_EQ(o.frame, 0);
  EXPECT_EQ(o.sheet, 31);
  EXPECT_EQ(o.frameCount, 1);
}

TEST_F(AnimationTest, AOneFrameStripStopsAtItsFirstStep) {
  PlayStrip(5, 31);
  Step();
  EXPECT_FALSE(o.playing);
  EXPECT_EQ(o.frame, 0);
  PlayStrip(5, 31);
  EXPECT_TRUE(o.playing);
  EXPECT_EQ(o.sourceRect.left, 0);
}

TEST_F(AnimationTest, SheetIndicesOutsideTheTableChangeNothing) {
  PlayStrip(5, 30);
  SetSheet(5, -1);
  SetSheet(5, 200);
  PlayStrip(5, 100000);
  EXPECT_EQ(o.sheet, 30);
  StepAnimation(-3);
  StepAnimation(200);
}

}  // namespace
