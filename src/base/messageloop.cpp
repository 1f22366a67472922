#include "base/messageloop.h"

#include <windows.h>

#include <algorithm>

namespace base {
namespace {

// With a quit pending, a wait looks at its condition and deadline this often.
constexpr DWORD kQuitStepMs = 10;

struct Round {
  bool handled = false; // any message
  bool quit = false;    // a WM_QUIT was among them, and is waiting again
};

// Handles every message that is waiting now, also those behind a WM_QUIT (timer ticks and
// painting come after it). A WM_QUIT is put back at the end.
Round HandleWaitingMessages() {
  bool handled = false, quit = false;
  int exitCode = 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      exitCode = static_cast<int>(msg.wParam);
      continue;
    }
    handled = true;
    // Tab, Enter and Escape move through the active form as in a dialog. Only keys can mean
    // that, and asking for every message would cost a round trip each under Wine.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
      const HWND active = GetActiveWindow();
      if (active && msg.message == WM_KEYDOWN && SendMessageW(active, kPreviewKey, msg.wParam, 0))
        continue;
      if (active && IsDialogMessageW(active, &msg))
        continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (quit)
    PostQuitMessage(exitCode);
  return {handled, quit};
}

} // namespace

std::uint64_t MonotonicMs() {
  // The performance counter, not GetTickCount64: its steps of about 16 ms on Windows would let
  // a wait of 100 ms end after 85.
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<std::uint64_t>(now.QuadPart / frequency * 1000 +
                                    now.QuadPart % frequency * 1000 / frequency);
}

void Delay(std::uint64_t ms) {
  // One more millisecond: the clock counts whole ones, and the wait must not be shorter.
  const std::uint64_t deadline = MonotonicMs() + ms + 1;
  WaitFor(deadline, [] { return false; });
}

bool QuitPending() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

int TakeQuit() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(msg.wParam)
                                                                  : 0;
}

WaitEnd WaitFor(std::uint64_t deadlineMs, const std::function<bool()>& done, bool endOnQuit) {
  for (;;) {
    // Each look into the queue is a round trip to the server under Wine; the round already
    // says whether a quit is pending.
    const auto [handled, quit] = HandleWaitingMessages();
    if (done ? done() : handled)
      return WaitEnd::Done;
    if (quit && endOnQuit)
      return WaitEnd::Quit;
    const std::uint64_t now = MonotonicMs();
    if (now >= deadlineMs)
      return WaitEnd::Deadline;
    const std::uint64_t left = deadlineMs - now;
    const DWORD step =
        static_cast<DWORD>(std::min<std::uint64_t>(left, quit ? kQuitStepMs : 0x7FFFFFFF));
    if (quit)
      Sleep(step);
    else
      // MWMO_INPUTAVAILABLE: also wake for messages that arrived before this call but were not
      // yet looked at by a PeekMessage.
      MsgWaitForMultipleObjectsEx(0, nullptr, step, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

} // namespace base
