// The thread's message queue as the window code needs it (not part of the program's interface).
#pragma once

#include "platform/win32/window.h"

namespace win32 {

// Appends a message after those already waiting.
void Enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Puts a message before all others, to be the next one read.
void EnqueueFirst(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool IsQueued(UINT message);
// Forgets the messages waiting for a window that is being destroyed.
void DropMessagesFor(HWND window);

}  // namespace win32
