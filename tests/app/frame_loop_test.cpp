#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "app/shell.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"

namespace {

// What the loop did, recorded by the frame routine.
struct Recording {
  win32::FakeClock* clock = nullptr;
  std::vector<DWORD> frameTimes;
  std::vector<int> sleepsBefore;  // sleep calls made before each frame ran
  void (*onFrame)(int frame) = nullptr;
  int frameLimit = 200;
};
Recording recording;

void RecordFrame() {
  const int n = static_cast<int>(recording.frameTimes.size());
  recording.frameTimes.push_back(frameTime);
  recording.sleepsBefore.push_back(recording.clock->SleepCalls());
  if (recording.onFrame) recording.onFrame(n);
  if (n + 1 >= recording.frameLimit) PostQuitMessage(0);  // a stuck loop fails, not hangs
}

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    recording = Recording{};
    recording.clock = &clock;
    win32::InjectClock(&clock);
    ASSERT_TRUE(CreateGameWindow(GetModuleHandleA(nullptr)));
  }
  void TearDown() override {
    win32::InjectClock(nullptr);
    DestroyWindow(window);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(gameTitle, GetModuleHandleA(nullptr));
    window = nullptr;
  }

  int Frames() const { return static_cast<int>(recording.frameTimes.size()); }

  win32::FakeClock clock{1000, 1};
};

TEST_F(FrameLoopTest, FramesStartFortyMillisecondsApartAndNoLater) {
  recording.onFrame = [](int n) {
    if (n == 9) PostQuitMessage(0);
  };
  RunFrameLoop(RecordFrame);
  ASSERT_EQ(Frames(), 11);
  for (int i = 1; i < Frames(); ++i) {
    const DWORD gap = recording.frameTimes[i] - recording.frameTimes[i - 1];
    EXPECT_GE(gap, 40u) << "frame " << i;
    EXPECT_LE(gap, 42u) << "frame " << i;
  }
}

TEST_F(FrameLoopTest, AnOverlongFrameIsFollowedAtOnce) {
  recording.onFrame = [](int n) {
    if (n == 2) recording.clock->Advance(55);
    if (n == 4) PostQuitMessage(0);
  };
  RunFrameLoop(RecordFrame);
  ASSERT_GE(Frames(), 4);
  const DWORD gap = recording.frameTimes[3] - recording.frameTimes[2];
  EXPECT_GE(gap, 55u);
  EXPECT_LE(gap, 57u) << "no waiting after an overlong frame";
  EXPECT_EQ(recording.sleepsBefore[3], recording.sleepsBefore[2])
      << "the loop slept after a frame that took longer than 40 ms";
  // No catching up: the frame after that is paced normally again.
  EXPECT_GE(recording.frameTimes[4] - recording.frameTimes[3], 40u);
}

TEST_F(FrameLoopTest, TheLoopEndsAfterThePassThatTakesTheQuitMessage) {
  recording.onFrame = [](int n) {
    if (n == 3) PostQuitMessage(0);
  };
  RunFrameLoop(RecordFrame);
  // Frame 4 takes WM_QUIT from the queue, still runs, and is the last.
  EXPECT_EQ(Frames(), 5);
}

TEST_F(FrameLoopTest, EscapeEndsTheLoop) {
  recording.onFrame = [](int n) {
    if (n == 2) win32::SimulateKeyPress(window, VK_ESCAPE);
  };
  RunFrameLoop(RecordFrame);
  // One message a frame: the key, then the character it makes, then the quit.
  EXPECT_GE(Frames(), 5);
  EXPECT_LE(Frames(), 6);
}

TEST_F(FrameLoopTest, ClosingTheWindowEndsTheLoop) {
  recording.onFrame = [](int n) {
    if (n == 1) win32::SimulateCloseRequest(window);
  };
  RunFrameLoop(RecordFrame);
  EXPECT_GE(Frames(), 3);
  EXPECT_LE(Frames(), 4);
  RECT r;
  EXPECT_FALSE(GetClientRect(window, &r)) << "closing destroys the window";
}

TEST_F(FrameLoopTest, OtherKeysDoNotEndTheLoop) {
  recording.onFrame = [](int n) {
    if (n == 1) win32::SimulateKeyPress(window, VK_SPACE);
    if (n == 2) win32::SimulateKeyPress(window, VK_RETURN);
    if (n == 3) win32::SimulateKeyPress(window, 'Q');
    if (n == 20) PostQuitMessage(0);
  };
  RunFrameLoop(RecordFrame);
  EXPECT_EQ(Frames(), 22);
}

TEST(FramePacing, WaitsUntilFortyMillisecondsAfterTheTickAcrossTheWrap) {
  win32::FakeClock clock(0xFFFFFFF0u, 1);
  win32::InjectClock(&clock);
  WaitForNextFrame(0xFFFFFFF0u);
  win32::InjectClock(nullptr);
  // The last read saw 40 ms passed, then the clock moved on by its read step.
  EXPECT_EQ(clock.Peek() - 0xFFFFFFF0u, 41u);
}

}  // namespace
