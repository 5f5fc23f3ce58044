// The window itself: creation over an SDL window, destruction, showing and the paint flag.
#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/win32/message_queue.h"
#include "platform/win32/window_table.h"

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr RECT kNoDisplayRect = {0, 0, kDefaultWidth, kDefaultHeight};
const HCURSOR kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<ULONG_PTR>(0x10003));

std::string& WindowError() {
  static std::string error;
  return error;
}

void FailCreation(DWORD error, const std::string& why) {
  WindowError() = "cannot make the window: " + why;
  SetLastError(error);
}

bool IsNamedByString(LPCSTR name) { return reinterpret_cast<ULONG_PTR>(name) >= 0x10000; }

std::string ClassNameForMessage(LPCSTR className) {
  std::string text;
  if (className == nullptr) {
    text = "(none)";
  } else if (!IsNamedByString(className)) {
    text.append("#").append(std::to_string(reinterpret_cast<ULONG_PTR>(className)));
  } else {
    text.append("\"").append(className).append("\"");
  }
  return text;
}

int PositionOf(int coordinate) {
  return coordinate == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : coordinate;
}

int SizeOf(int size, int fallback) { return size == CW_USEDEFAULT ? fallback : std::max(size, 1); }

Uint32 SdlFlagsOf(DWORD style) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if ((style & WS_POPUP) != 0) flags |= SDL_WINDOW_BORDERLESS;
  return flags;
}

bool IsValidParent(HWND parent) {
  return parent == nullptr || parent == win32::DesktopHandle() ||
         win32::LookUpWindow(parent) != nullptr;
}

SDL_Window* MakeSdlWindow(LPCSTR title, DWORD style, int x, int y, int width, int height) {
  if (!win32::StartVideo()) {
    FailCreation(ERROR_NOT_SUPPORTED,
                 std::string("the video system does not start (") + SDL_GetError() + ")");
    return nullptr;
  }
  SDL_Window* sdlWindow =
      SDL_CreateWindow(title != nullptr ? title : "", PositionOf(x), PositionOf(y),
                       SizeOf(width, kDefaultWidth), SizeOf(height, kDefaultHeight),
                       SdlFlagsOf(style));
  if (sdlWindow == nullptr) {
    FailCreation(ERROR_NOT_SUPPORTED,
                 std::string("the video system refused it (") + SDL_GetError() + ")");
    win32::StopVideoIfUnused();
  }
  return sdlWindow;
}

bool CoversClientArea(HWND window, const RECT& rect) {
  RECT client = {};
  GetClientRect(window, &client);
  return rect.left <= client.left && rect.top <= client.top && rect.right >= client.right &&
         rect.bottom >= client.bottom;
}

}  // namespace

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter) {
  const win32::WindowClass* windowClass = win32::LookUpClass(className);
  if (windowClass == nullptr) {
    FailCreation(ERROR_CANNOT_FIND_WND_CLASS,
                 "no window class " + ClassNameForMessage(className) + " is registered");
    return nullptr;
  }
  if (!IsValidParent(parent)) {
    FailCreation(ERROR_INVALID_WINDOW_HANDLE, "the parent window is not valid");
    return nullptr;
  }
  const win32::WindowClass chosenClass = *windowClass;
  SDL_Window* sdlWindow = MakeSdlWindow(windowName, style, x, y, width, height);
  if (sdlWindow == nullptr) return nullptr;

  win32::WindowRecord& record = win32::AddWindow(parent, chosenClass);
  record.sdlWindow = sdlWindow;
  record.sdlId = SDL_GetWindowID(sdlWindow);
  const HWND window = record.handle;

  CREATESTRUCTA creation{.lpCreateParams = parameter,
                         .hInstance = instance,
                         .hMenu = menu,
                         .hwndParent = parent,
                         .cy = height,
                         .cx = width,
                         .y = y,
                         .x = x,
                         .style = static_cast<LONG>(style),
                         .lpszName = windowName,
                         .lpszClass = className,
                         .dwExStyle = exStyle};
  const LRESULT answer =
      win32::CallWindowProcedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation));
  if (answer == -1 || win32::LookUpWindow(window) == nullptr) {
    DestroyWindow(window);
    WindowError() = "cannot make the window: its window procedure refused WM_CREATE";
    return nullptr;
  }
  return window;
}

// WM_DESTROY reaches the window first, then its children; then the SDL windows go.
BOOL DestroyWindow(HWND window) {
  win32::WindowRecord* record = win32::LookUpWindowOrFail(window);
  if (record == nullptr) return FALSE;
  if (record->destroying) return TRUE;
  record->destroying = true;
  win32::CallWindowProcedure(window, WM_DESTROY, 0, 0);
  for (HWND other : win32::WindowsInOrder()) {
    const win32::WindowRecord* child = win32::LookUpWindow(other);
    if (child != nullptr && child->parent == window) DestroyWindow(other);
  }
  record = win32::LookUpWindow(window);
  SDL_DestroyWindow(record->sdlWindow);
  win32::DropMessagesFor(window);
  win32::RemoveWindow(window);
  win32::StopVideoIfUnused();
  return TRUE;
}

// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command) {
  win32::WindowRecord* record = win32::LookUpWindowOrFail(window);
  if (record == nullptr) return FALSE;
  const bool wasVisible = record->visible;
  if (command == SW_HIDE) {
    SDL_HideWindow(record->sdlWindow);
    record->visible = false;
  } else {
    SDL_ShowWindow(record->sdlWindow);
    record->visible = true;
    if (!wasVisible) record->needsPaint = true;
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window) {
  const win32::WindowRecord* record = win32::LookUpWindowOrFail(window);
  if (record == nullptr) return FALSE;
  if (record->needsPaint) win32::CallWindowProcedure(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect) {
  win32::WindowRecord* record = win32::LookUpWindowOrFail(window);
  if (record == nullptr) return FALSE;
  // There are no update regions: only validating the whole client area clears the need.
  if (rect == nullptr || CoversClientArea(window, *rect)) {
    record = win32::LookUpWindow(window);
    record->needsPaint = false;
  }
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL) {
  win32::WindowRecord* record = win32::LookUpWindowOrFail(window);
  if (record == nullptr) return FALSE;
  record->needsPaint = true;
  return TRUE;
}

HWND GetDesktopWindow() { return win32::DesktopHandle(); }

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  if (instance == nullptr && cursorName == IDC_ARROW) return kArrowCursor;
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (window == win32::DesktopHandle()) {
    SDL_Rect bounds;
    const bool known = SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDisplayBounds(0, &bounds) == 0;
    *rect = known ? RECT{0, 0, bounds.w, bounds.h} : kNoDisplayRect;
    return TRUE;
  }
  const win32::WindowRecord* record = win32::LookUpWindow(window);
  if (record == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  int width = 0;
  int height = 0;
  win32::DrawableSize(record->sdlWindow, width, height);
  *rect = RECT{0, 0, width, height};
  return TRUE;
}

namespace win32 {

const char* WindowSystemError() {
  if (WindowError().empty()) return "no window has failed to open";
  return WindowError().c_str();
}

SDL_Window* SdlWindowOf(HWND window) {
  const WindowRecord* record = LookUpWindow(window);
  return record == nullptr ? nullptr : record->sdlWindow;
}

}  // namespace win32
