// Keyboard polling and the millisecond clock, with seams through which tests and tools
// inject key states and time so that whole games run with no display and no real time.
#pragma once

#include <bitset>

#include "platform/win32/types.h"

// The key's current state: the most significant bit is set while it is down.
SHORT GetAsyncKeyState(int virtualKey);
// Milliseconds since an arbitrary start, 32 bits, wrapping.
DWORD GetTickCount();
// Gives up the processor for at least the given milliseconds (0 yields).
void Sleep(DWORD milliseconds);

namespace win32 {

class TickClock {
 public:
  virtual ~TickClock() = default;
  virtual DWORD Now() = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
};

class KeyState {
 public:
  virtual ~KeyState() = default;
  virtual bool IsDown(int virtualKey) = 0;
};

// Null restores the real clock or keyboard. The injected object must outlive its use.
void InjectClock(TickClock* clock);
void InjectKeyState(KeyState* keys);

// A clock that moves only when read or slept on: each Now() returns the time and then
// advances it by readStep, each Sleep advances it by the time asked.
class FakeClock : public TickClock {
 public:
  explicit FakeClock(DWORD start = 0, DWORD readStep = 1) : now_(start), readStep_(readStep) {}
  DWORD Now() override;
  void Sleep(DWORD milliseconds) override;
  void Advance(DWORD milliseconds) { now_ += milliseconds; }
  DWORD Peek() const { return now_; }
  int SleepCalls() const { return sleepCalls_; }

 private:
  DWORD now_;
  DWORD readStep_;
  int sleepCalls_ = 0;
};

// Keys held by a test or a script.
class FakeKeys : public KeyState {
 public:
  bool IsDown(int virtualKey) override;
  void Set(int virtualKey, bool down);
  void ReleaseAll() { down_.reset(); }

 private:
  std::bitset<256> down_;
};

}  // namespace win32
