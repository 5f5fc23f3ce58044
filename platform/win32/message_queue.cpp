// The thread's message queue. Retrieval order: posted and input messages as they arrived,
// then a pending quit, then WM_PAINT for a window that needs painting. WM_PAINT is never
// queued: it is made up while a window needs paint, so it repeats until the window is
// validated.
#include "platform/win32/message_queue.h"

#include <deque>

#include "platform/win32/monotonic_clock.h"
#include "platform/win32/sdl_events.h"
#include "platform/win32/window_table.h"

namespace {

// As on Windows, a queue nobody reads stops accepting posts instead of growing without end.
constexpr std::size_t kQueueLimit = 10000;

struct QueueState {
  std::deque<MSG> messages;
  bool quitPending = false;
  int quitCode = 0;
};

QueueState& Queue() {
  static QueueState queue;
  return queue;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, win32::MonotonicMilliseconds(), POINT{0, 0}};
}

struct Filter {
  HWND window;
  UINT min;
  UINT max;

  bool Admits(HWND target, UINT message) const {
    if (window != nullptr && target != window) return false;
    return (min == 0 && max == 0) || (message >= min && message <= max);
  }
};

bool TakePosted(MSG* out, const Filter& filter, bool remove) {
  std::deque<MSG>& messages = Queue().messages;
  for (auto it = messages.begin(); it != messages.end(); ++it) {
    if (!filter.Admits(it->hwnd, it->message)) continue;
    *out = *it;
    if (remove) messages.erase(it);
    return true;
  }
  return false;
}

bool TakeQuit(MSG* out, const Filter& filter, bool remove) {
  QueueState& queue = Queue();
  if (!queue.quitPending || !filter.Admits(nullptr, WM_QUIT)) return false;
  *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
  if (remove) queue.quitPending = false;
  return true;
}

bool TakePaint(MSG* out, const Filter& filter) {
  for (HWND window : win32::WindowsInOrder()) {
    const win32::WindowRecord* record = win32::LookUpWindow(window);
    if (!record->needsPaint || !filter.Admits(window, WM_PAINT)) continue;
    *out = MakeMessage(window, WM_PAINT, 0, 0);
    return true;
  }
  return false;
}

}  // namespace

namespace win32 {

void Enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Queue().messages.size() >= kQueueLimit) return;
  Queue().messages.push_back(MakeMessage(window, message, wParam, lParam));
}

void EnqueueFirst(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Queue().messages.push_front(MakeMessage(window, message, wParam, lParam));
}

bool IsQueued(UINT message) {
  for (const MSG& m : Queue().messages) {
    if (m.message == message) return true;
  }
  return false;
}

void DropMessagesFor(HWND window) {
  std::erase_if(Queue().messages, [window](const MSG& m) { return m.hwnd == window; });
}

}  // namespace win32

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (message == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (window != nullptr && win32::LookUpWindowOrFail(window) == nullptr) return FALSE;
  win32::PumpSdlEvents();
  const Filter filter{window, filterMin, filterMax};
  const bool remove = (removeFlags & PM_REMOVE) != 0;
  const bool found = TakePosted(message, filter, remove) || TakeQuit(message, filter, remove) ||
                     TakePaint(message, filter);
  return found ? TRUE : FALSE;
}

// A null window posts a message for the thread itself, read with a null or no window filter.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && win32::LookUpWindowOrFail(window) == nullptr) return FALSE;
  if (Queue().messages.size() >= kQueueLimit) {
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
  }
  win32::Enqueue(window, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue().quitPending = true;
  Queue().quitCode = exitCode;
}
