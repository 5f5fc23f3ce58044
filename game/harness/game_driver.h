// Runs the real frame routine as the shell does, with an injected clock and injected keys:
// the frame clock is read at the top of every frame and moves on 40 ms per frame.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/input.h"

// The keys held during one frame, one bit each.
using KeySet = uint8_t;
constexpr KeySet kKeyLeft = 1 << 0;
constexpr KeySet kKeyRight = 1 << 1;
constexpr KeySet kKeyUp = 1 << 2;
constexpr KeySet kKeyDown = 1 << 3;
constexpr KeySet kKeySpace = 1 << 4;
constexpr KeySet kKeyEnter = 1 << 5;

// Injects its clock and keys for its lifetime (again at every frame) and restores the real
// ones afterwards; one driver at a time.
class GameDriver {
 public:
  explicit GameDriver(uint32_t startTime = 1000);
  ~GameDriver();
  GameDriver(const GameDriver&) = delete;
  GameDriver& operator=(const GameDriver&) = delete;

  // One frame with exactly these keys down.
  void Frame(KeySet keys);
  // One frame per entry of the script, in order.
  void Replay(const std::vector<KeySet>& script);

  int64_t frameCount() const { return frameCount_; }

 private:
  void Inject();

  win32::FakeClock clock_;
  win32::FakeKeys keys_;
  int64_t frameCount_ = 0;
};
