// SDL events into window messages, and the test seams that feed SDL events in.
#include "platform/win32/sdl_events.h"

#include <SDL.h>

#include "platform/win32/message_queue.h"
#include "platform/win32/sdl_keys.h"
#include "platform/win32/window_table.h"

namespace win32 {
namespace {

void TranslateKey(const SDL_KeyboardEvent& event) {
  // Keys that SDL gives to no window of ours go to the main window.
  HWND window = WindowOfSdlId(event.windowID);
  if (window == nullptr) window = MainWindow();
  const KeyInfo* key = KeyOfScancode(event.keysym.scancode);
  if (window == nullptr || key == nullptr) return;
  const bool up = event.type == SDL_KEYUP;
  Enqueue(window, up ? WM_KEYUP : WM_KEYDOWN, static_cast<WPARAM>(key->virtualKey),
          KeyMessageLParam(*key, event.repeat != 0, up));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  const HWND window = WindowOfSdlId(event.windowID);
  WindowRecord* record = LookUpWindow(window);
  if (record == nullptr) return;
  if (event.event == SDL_WINDOWEVENT_CLOSE) Enqueue(window, WM_CLOSE, 0, 0);
  if (event.event == SDL_WINDOWEVENT_EXPOSED) record->needsPaint = true;
}

// SDL also sends a quit after closing the last window; that close is already on its way.
void TranslateQuit() {
  const HWND window = MainWindow();
  if (window != nullptr && !IsQueued(WM_CLOSE)) Enqueue(window, WM_CLOSE, 0, 0);
}

void Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key);
      break;
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window);
      break;
    case SDL_QUIT:
      TranslateQuit();
      break;
    default:
      break;
  }
}

bool Push(SDL_Event& event) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
  event.common.timestamp = SDL_GetTicks();
  return SDL_PushEvent(&event) == 1;
}

bool PushKey(HWND window, int virtualKey, Uint32 type) {
  const WindowRecord* record = LookUpWindow(window);
  const KeyInfo* key = KeyOfVirtualKey(virtualKey);
  if (record == nullptr || key == nullptr) return false;
  SDL_Event event{};
  event.key.type = type;
  event.key.windowID = record->sdlId;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = key->scancode;
  event.key.keysym.sym = SDL_GetKeyFromScancode(key->scancode);
  return Push(event);
}

bool PushWindowEvent(HWND window, SDL_WindowEventID id) {
  const WindowRecord* record = LookUpWindow(window);
  if (record == nullptr) return false;
  SDL_Event event{};
  event.window.type = SDL_WINDOWEVENT;
  event.window.windowID = record->sdlId;
  event.window.event = static_cast<Uint8>(id);
  return Push(event);
}

}  // namespace

void PumpSdlEvents() {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event event;
  while (SDL_PollEvent(&event) == 1) Translate(event);
}

bool SimulateKeyPress(HWND window, int virtualKey) {
  return PushKey(window, virtualKey, SDL_KEYDOWN);
}

bool SimulateKeyRelease(HWND window, int virtualKey) {
  return PushKey(window, virtualKey, SDL_KEYUP);
}

bool SimulateCloseRequest(HWND window) {
  if (window != nullptr) return PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE);
  SDL_Event event{};
  event.quit.type = SDL_QUIT;
  return Push(event);
}

bool SimulateExpose(HWND window) { return PushWindowEvent(window, SDL_WINDOWEVENT_EXPOSED); }

}  // namespace win32
