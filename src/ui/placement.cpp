#include "ui/placement.h"

#include <algorithm>

namespace ui {

RECT PlaceInside(const RECT& window, const RECT& area) {
  const LONG width = window.right - window.left, height = window.bottom - window.top;
  // Right and bottom first, then left and top: when the window is larger than the area, its
  // top-left corner wins.
  const LONG left = std::max(std::min(window.left, area.right - width), area.left);
  const LONG top = std::max(std::min(window.top, area.bottom - height), area.top);
  return {left, top, left + width, top + height};
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoW(monitor, &info))
    return info.rcWork;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void KeepInWorkArea(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r))
    return;
  const RECT placed = PlaceInside(r, WorkAreaOf(window));
  if (placed.left != r.left || placed.top != r.top)
    SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace ui
