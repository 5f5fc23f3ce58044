#include "game/harness/game_driver.h"

#include "game/world.h"
#include "platform/win32/window.h"

namespace {

struct KeyBinding {
  KeySet bit;
  int virtualKey;
};
constexpr KeyBinding kBindings[] = {
    {kKeyLeft, VK_LEFT}, {kKeyRight, VK_RIGHT}, {kKeyUp, VK_UP},
    {kKeyDown, VK_DOWN}, {kKeySpace, VK_SPACE}, {kKeyEnter, VK_RETURN},
};

}  // namespace

// The clock moves only when the driver advances it, so every frame starts exactly 40 ms
// after the previous one.
GameDriver::GameDriver(uint32_t startTime) : clock_(startTime, 0) { Inject(); }

GameDriver::~GameDriver() {
  win32::InjectClock(nullptr);
  win32::InjectKeyState(nullptr);
}

void GameDriver::Inject() {
  win32::InjectClock(&clock_);
  win32::InjectKeyState(&keys_);
}

void GameDriver::Frame(KeySet keys) {
  Inject();  // again each frame, in case a test fixture reset the seams meanwhile
  for (const KeyBinding& binding : kBindings) {
    keys_.Set(binding.virtualKey, (keys & binding.bit) != 0);
  }
  frameTime = GetTickCount();
  RunFrame();
  clock_.Advance(kFrameMillis);
  ++frameCount_;
}

void GameDriver::Replay(const std::vector<KeySet>& script) {
  for (KeySet keys : script) Frame(keys);
}
