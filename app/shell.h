// The program's entry and its frame loop: one window, one frame of the game per 40 ms at
// most, Escape or closing the window to quit.
#pragma once

#include "platform/win32/types.h"

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// Escape and the window's destruction post the quit message; paint requests are validated.
LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window class and makes the 640 x 480 popup window into `window`.
// False when no window could be made.
bool CreateGameWindow(HINSTANCE instance);

// Runs frames until the pass that takes WM_QUIT from the queue, which still runs `frame` and
// its wait. Each pass: the tick into frameTime, at most one message, `frame`, the pacing wait.
void RunFrameLoop(void (*frame)());

// Returns once kFrameMillis have passed since `start` (unsigned 32-bit tick difference).
void WaitForNextFrame(DWORD start);
