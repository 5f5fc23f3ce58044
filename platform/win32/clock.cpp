// GetTickCount and Sleep over the monotonic clock, or over a clock injected by a test.
#include <sched.h>

#include <cerrno>
#include <ctime>

#include "platform/win32/input.h"
#include "platform/win32/monotonic_clock.h"

namespace {

win32::TickClock*& InjectedClock() {
  static win32::TickClock* clock = nullptr;
  return clock;
}

void SleepForReal(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts nanosleep short; the rest of the time is still owed.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace

DWORD GetTickCount() {
  win32::TickClock* injected = InjectedClock();
  return injected != nullptr ? injected->Now() : win32::MonotonicMilliseconds();
}

void Sleep(DWORD milliseconds) {
  win32::TickClock* injected = InjectedClock();
  if (injected != nullptr) {
    injected->Sleep(milliseconds);
  } else {
    SleepForReal(milliseconds);
  }
}

namespace win32 {

DWORD MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto milliseconds =
      static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(milliseconds);
}

void InjectClock(TickClock* clock) { InjectedClock() = clock; }

DWORD FakeClock::Now() {
  const DWORD now = now_;
  now_ += readStep_;
  return now;
}

void FakeClock::Sleep(DWORD milliseconds) {
  now_ += milliseconds;
  ++sleepCalls_;
}

}  // namespace win32
