#include "app/shell.h"

#include <cstdio>

#include "app/graphics.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"

LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      ValidateRect(hwnd, nullptr);
      return 0;
    case WM_KEYDOWN:
      // The game polls its keys; only Escape matters to the window.
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

bool CreateGameWindow(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = gameTitle;
  RegisterClassExA(&windowClass);

  window = CreateWindowExA(WS_EX_APPWINDOW, gameTitle, gameTitle, WS_POPUP, 0, 0, screenWidth,
                           screenHeight, GetDesktopWindow(), nullptr, instance, nullptr);
  return window != nullptr;
}

void WaitForNextFrame(DWORD start) {
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= kFrameMillis) return;
    // Sleep through all but the last millisecond, then poll: the next frame never starts
    // early and starts within about a millisecond of its time, without keeping a processor
    // busy for the whole wait.
    const DWORD left = kFrameMillis - elapsed;
    if (left > 1) Sleep(left - 1);
  }
}

void RunFrameLoop(void (*frame)()) {
  bool quit = false;
  while (!quit) {
    frameTime = GetTickCount();
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    frame();
    WaitForNextFrame(frameTime);
  }
}

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!CreateGameWindow(instance)) {
    std::fprintf(stderr, "mirefell: cannot open the game window: %s\n",
                 win32::WindowSystemError());
    UnregisterClassA(gameTitle, instance);
    return 1;
  }
  SetUpDevice();
  ShowWindow(window, SW_SHOWDEFAULT);
  UpdateWindow(window);
  LoadSheets();

  RunFrameLoop(RunFrame);

  ReleaseDevice();
  UnregisterClassA(gameTitle, instance);
  return 0;
}
