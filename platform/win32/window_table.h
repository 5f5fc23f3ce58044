// The window classes and live windows, shared by the window, message and event code of this
// folder (not part of the interface the program sees).
//
// Window handles are numbers that are never reused, so a handle kept after DestroyWindow is
// recognised as invalid instead of reaching another window. Records may move or vanish
// whenever a window procedure runs: look a window up again after every call into one.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/win32/window.h"

namespace win32 {

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC procedure = nullptr;
};

struct WindowRecord {
  HWND handle = nullptr;
  HWND parent = nullptr;
  ATOM classAtom = 0;
  WNDPROC procedure = nullptr;
  SDL_Window* sdlWindow = nullptr;
  Uint32 sdlId = 0;
  bool visible = false;
  bool needsPaint = false;
  bool destroying = false;
};

// --- Classes ---------------------------------------------------------------------------------

// A class named by string (any case) or by atom; null when there is none. The pointer is
// good until the next class is added or removed.
const WindowClass* LookUpClass(LPCSTR className);
// The new class's atom; 0 when the name is taken or no atom is left.
ATOM AddClass(const WNDCLASSEXA& windowClass);
void RemoveClass(ATOM atom);
bool AnyClassRegistered();

// --- Windows ---------------------------------------------------------------------------------

// The desktop is a pseudo window: valid as a parent, never a record.
HWND DesktopHandle();
// Null for handles of no live window (the desktop included).
WindowRecord* LookUpWindow(HWND window);
// The same, setting the last error when there is no such window (ERROR_ACCESS_DENIED for the
// desktop, which cannot be changed, ERROR_INVALID_WINDOW_HANDLE otherwise).
WindowRecord* LookUpWindowOrFail(HWND window);
WindowRecord& AddWindow(HWND parent, const WindowClass& windowClass);
void RemoveWindow(HWND window);
HWND WindowOfSdlId(Uint32 sdlId);
// The first live window made, null when there is none.
HWND MainWindow();
bool AnyWindowOfClass(ATOM atom);
// Live windows in the order they were made, for walks that call window procedures.
std::vector<HWND> WindowsInOrder();

// --- The video subsystem ---------------------------------------------------------------------

// Starts SDL video on first use; false (with SDL's reason) when no display can be opened.
bool StartVideo();
// Stops SDL video once no window and no class is left.
void StopVideoIfUnused();

// Calls the window's procedure; 0 with ERROR_INVALID_WINDOW_HANDLE for an invalid window.
LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win32
