#include "ui/dpi.h"

#include "base/handles.h"

namespace ui {

int SystemDpi() {
  const base::WindowDc screen(nullptr);
  const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  return dpi > 0 ? dpi : kLogicalDpi;
}

int WindowDpi(HWND window) {
  // Looked up by name: the program also runs on Windows 7 and 8, where user32 lacks it and every
  // screen has the system's DPI.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0)
      return static_cast<int>(dpi);
  }
  return SystemDpi();
}

} // namespace ui
