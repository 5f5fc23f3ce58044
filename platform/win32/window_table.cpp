#include "platform/win32/window_table.h"

#include <strings.h>

#include <cstring>

#include <map>

namespace win32 {
namespace {

constexpr ULONG_PTR kDesktopHandle = 0x10010;
constexpr ULONG_PTR kFirstWindowHandle = 0x10020;
constexpr ULONG_PTR kHandleStep = 4;
constexpr ATOM kFirstAtom = 0xC000;

struct WindowState {
  std::vector<WindowClass> classes;
  // Ordered by handle, which is the order of creation.
  std::map<ULONG_PTR, WindowRecord> windows;
  ULONG_PTR nextHandle = kFirstWindowHandle;
  bool videoStarted = false;
};

// Function-local so that libraries may make windows from their own start-up code.
WindowState& State() {
  static WindowState state;
  return state;
}

bool IsAtom(LPCSTR name) { return reinterpret_cast<ULONG_PTR>(name) < 0x10000; }

ATOM AtomOf(LPCSTR name) { return static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name)); }

ATOM FreeAtom() {
  for (ULONG_PTR atom = kFirstAtom; atom <= 0xFFFF; ++atom) {
    bool taken = false;
    for (const WindowClass& c : State().classes) taken = taken || c.atom == atom;
    if (!taken) return static_cast<ATOM>(atom);
  }
  return 0;
}

ULONG_PTR Key(HWND window) { return reinterpret_cast<ULONG_PTR>(window); }

}  // namespace

const WindowClass* LookUpClass(LPCSTR className) {
  if (className == nullptr) return nullptr;
  for (const WindowClass& c : State().classes) {
    if (IsAtom(className) ? c.atom == AtomOf(className)
                          : strcasecmp(c.name.c_str(), className) == 0) {
      return &c;
    }
  }
  return nullptr;
}

ATOM AddClass(const WNDCLASSEXA& windowClass) {
  if (LookUpClass(windowClass.lpszClassName) != nullptr) return 0;
  const ATOM atom = FreeAtom();
  if (atom == 0) return 0;
  State().classes.push_back(
      {windowClass.lpszClassName, atom, windowClass.style, windowClass.lpfnWndProc});
  return atom;
}

void RemoveClass(ATOM atom) {
  std::erase_if(State().classes, [atom](const WindowClass& c) { return c.atom == atom; });
}

bool AnyClassRegistered() { return !State().classes.empty(); }

HWND DesktopHandle() { return reinterpret_cast<HWND>(kDesktopHandle); }

WindowRecord* LookUpWindow(HWND window) {
  auto found = State().windows.find(Key(window));
  return found == State().windows.end() ? nullptr : &found->second;
}

WindowRecord* LookUpWindowOrFail(HWND window) {
  WindowRecord* record = LookUpWindow(window);
  if (record == nullptr) {
    SetLastError(window == DesktopHandle() ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
  }
  return record;
}

WindowRecord& AddWindow(HWND parent, const WindowClass& windowClass) {
  WindowState& state = State();
  const ULONG_PTR key = state.nextHandle;
  state.nextHandle += kHandleStep;
  WindowRecord& record = state.windows[key];
  record.handle = reinterpret_cast<HWND>(key);
  record.parent = parent;
  record.classAtom = windowClass.atom;
  record.procedure = windowClass.procedure;
  return record;
}

void RemoveWindow(HWND window) { State().windows.erase(Key(window)); }

HWND WindowOfSdlId(Uint32 sdlId) {
  for (const auto& [key, record] : State().windows) {
    if (record.sdlWindow != nullptr && record.sdlId == sdlId) return record.handle;
  }
  return nullptr;
}

HWND MainWindow() {
  for (const auto& [key, record] : State().windows) {
    if (!record.destroying) return record.handle;
  }
  return nullptr;
}

bool AnyWindowOfClass(ATOM atom) {
  for (const auto& [key, record] : State().windows) {
    if (record.classAtom == atom) return true;
  }
  return false;
}

std::vector<HWND> WindowsInOrder() {
  std::vector<HWND> handles;
  for (const auto& [key, record] : State().windows) handles.push_back(record.handle);
  return handles;
}

namespace {

// SDL falls back to a driver without a screen when no display can be opened; a window there
// would run unseen, so such a driver counts only when asked for by name (as tests do).
bool IsDisplaylessFallback() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return true;
  const bool displayless = strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0;
  if (!displayless) return false;
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (asked == nullptr) asked = SDL_getenv("SDL_VIDEODRIVER");
  return asked == nullptr || strcasestr(asked, driver) == nullptr;
}

}  // namespace

bool StartVideo() {
  WindowState& state = State();
  if (state.videoStarted) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  if (IsDisplaylessFallback()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_SetError("no display is available (DISPLAY or WAYLAND_DISPLAY unset or unreachable)");
    return false;
  }
  state.videoStarted = true;
  return true;
}

void StopVideoIfUnused() {
  WindowState& state = State();
  if (!state.videoStarted || !state.windows.empty() || !state.classes.empty()) return;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  state.videoStarted = false;
}

LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowRecord* record = LookUpWindowOrFail(window);
  if (record == nullptr) return 0;
  // Copied out: the procedure may destroy the window, and the record with it.
  const WNDPROC procedure = record->procedure;
  return procedure(window, message, wParam, lParam);
}

}  // namespace win32
