// The floor of scripts/bench-window.sh: an empty window that does only what any program on this
// line must do, with the program's own serial channel. It opens COM2 at 19200 baud, starts the
// unit's stream and, every 50 ms, reads what has arrived and throws it away. It draws nothing.
// It ends after the given number of seconds, stopping the unit.
//   window_floor.exe SECONDS
#include "link/instrumentlink.h"
#include "link/ucom.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

LRESULT CALLBACK FloorProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_TIMER:
    ucom::ComRead();
    ucom::ReceiveText.clear();
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcW(h, msg, wp, lp);
  }
}

} // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30;
  std::string error;
  ucom::ComOpen("COM2", 19200, error);
  if (!error.empty()) {
    std::fprintf(stderr, "window_floor: COM2: %s\n", error.c_str());
    return 1;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = L"DynlogFloor";
  RegisterClassExW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, L"Floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, 450, 302, nullptr, nullptr, wc.hInstance,
                           nullptr);
  km470::SendStartCommand();
  SetTimer(w, 1, 50, nullptr);
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  km470::CloseInstrumentLink();
  DestroyWindow(w);
  return 0;
}
