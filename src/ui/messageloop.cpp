#include "ui/messageloop.h"

#include <windows.h>

namespace ui {

bool ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

std::uint64_t MonotonicMs() {
  return GetTickCount64();
}

void WaitForMessageUntil(std::uint64_t deadlineMs) {
  const std::uint64_t now = MonotonicMs();
  if (now >= deadlineMs)
    return;
  const std::uint64_t left = deadlineMs - now;
  const DWORD timeout = left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(left);
  // MWMO_INPUTAVAILABLE: also wake for messages that arrived before this call but were not yet
  // looked at by a PeekMessage.
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

} // namespace ui
