// GetAsyncKeyState over SDL's keyboard state, or over a key state injected by a test.
#include <SDL.h>

#include "platform/win32/input.h"
#include "platform/win32/sdl_keys.h"

namespace {

constexpr SHORT kKeyDown = static_cast<SHORT>(0x8000);

win32::KeyState*& InjectedKeys() {
  static win32::KeyState* keys = nullptr;
  return keys;
}

bool IsDownOnKeyboard(int virtualKey) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  int stateSize = 0;
  const Uint8* state = SDL_GetKeyboardState(&stateSize);
  return state != nullptr && win32::IsVirtualKeyDown(virtualKey, state, stateSize);
}

}  // namespace

SHORT GetAsyncKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 0xFF) return 0;
  win32::KeyState* injected = InjectedKeys();
  const bool down =
      injected != nullptr ? injected->IsDown(virtualKey) : IsDownOnKeyboard(virtualKey);
  return down ? kKeyDown : 0;
}

namespace win32 {

void InjectKeyState(KeyState* keys) { InjectedKeys() = keys; }

bool FakeKeys::IsDown(int virtualKey) {
  return virtualKey >= 0 && virtualKey < static_cast<int>(down_.size()) && down_[virtualKey];
}

void FakeKeys::Set(int virtualKey, bool down) {
  if (virtualKey < 0 || virtualKey >= static_cast<int>(down_.size())) return;
  down_[virtualKey] = down;
}

}  // namespace win32
