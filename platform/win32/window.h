// Window class, window, message queue and window procedure, shaped like the Windows user
// interface and provided over SDL2.
//
// SDL events become window messages when the queue is read: a key press is WM_KEYDOWN with
// its virtual-key code, the system's close request is WM_CLOSE (whose default handling
// destroys the window, which sends WM_DESTROY), and an expose is WM_PAINT until the window is
// validated. PeekMessageA returns posted and input messages first, in arrival order, then a
// pending quit, then WM_PAINT.
#pragma once

#include "platform/win32/types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
  UINT cbSize;  // sizeof(WNDCLASSEXA)
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

// What CreateWindowExA was asked for, passed to WM_CREATE as its lParam.
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
// The first message number free for a program's own use.
constexpr UINT WM_USER = 0x0400;

// Class and window styles, show commands, PeekMessage options.
constexpr UINT CS_CLASSDC = 0x0040;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

inline LPCSTR MAKEINTATOM(ATOM atom) { return MAKEINTRESOURCEA(atom); }
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);

// Virtual-key codes.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_F1 = 0x70;

// Class names compare without regard to ASCII case; a class may also be named by its atom.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
// Fails with ERROR_CLASS_HAS_WINDOWS while windows of the class exist.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
// Returns null when the class is unknown, no display can be opened (ERROR_NOT_SUPPORTED) or
// the window procedure answers WM_CREATE with -1. The window starts hidden.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter);
BOOL DestroyWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
HWND GetDesktopWindow();
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName);
BOOL GetClientRect(HWND window, LPRECT rect);

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);

struct SDL_Window;

namespace win32 {

// Why the last CreateWindowExA failed, in words (for the one line a program prints).
const char* WindowSystemError();

// The SDL window behind a window handle, for the presenting device; null for none.
SDL_Window* SdlWindowOf(HWND window);

// The width and height in pixels that `window` actually has on the display, which can differ
// from what SDL reports after an ungranted full-screen request.
void DrawableSize(SDL_Window* window, int& width, int& height);
// False where asking for full screen is known to be refused (an X display without a window
// manager): the window then stays as it is.
bool FullScreenCanBeGranted(SDL_Window* window);

// Test seams: system events as the display would deliver them, read at the next PeekMessageA.
// Each returns false when nothing could be sent (invalid window, key without a scancode).
// A key press is the key going down; its release is a separate event.
bool SimulateKeyPress(HWND window, int virtualKey);
bool SimulateKeyRelease(HWND window, int virtualKey);
// For a window, the close button; for null, the system's request to quit the program.
bool SimulateCloseRequest(HWND window);
bool SimulateExpose(HWND window);

}  // namespace win32
