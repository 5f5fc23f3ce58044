// Calling window procedures, the default procedure, and key-to-character translation.
#include "platform/win32/message_queue.h"
#include "platform/win32/sdl_keys.h"
#include "platform/win32/window_table.h"

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return win32::CallWindowProcedure(window, message, wParam, lParam);
}

// Thread messages (no window) have no procedure to go to.
LRESULT DispatchMessageA(const MSG* message) {
  if (message == nullptr || message->hwnd == nullptr) return 0;
  return win32::CallWindowProcedure(message->hwnd, message->message, message->wParam,
                                    message->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    default:
      return 0;
  }
}

// The character goes to the front of the queue, so it is the next message read.
BOOL TranslateMessage(const MSG* message) {
  if (message == nullptr || message->message != WM_KEYDOWN) return FALSE;
  const int character = win32::CharacterOfVirtualKey(static_cast<int>(message->wParam));
  if (character == 0) return FALSE;
  win32::EnqueueFirst(message->hwnd, WM_CHAR, static_cast<WPARAM>(character), message->lParam);
  return TRUE;
}
