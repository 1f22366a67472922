#pragma once
// Screens of every scale: the program lays its windows out in logical pixels, those of a screen at
// 96 DPI (100 %), and each form turns them into the pixels of the screen it is on. The program is
// per-monitor aware (its manifest says so), so Windows does not stretch its bitmap: text and digits
// are drawn at the screen's own resolution.
#include <windows.h>

namespace ui {

inline constexpr int kLogicalDpi = 96;

// The DPI of the screen the window is on; the system's before Windows 10 1607, which cannot say.
int WindowDpi(HWND window);
// The DPI of the primary screen, for what is sized before its window exists.
int SystemDpi();

// Logical pixels to a screen's, and back; rounded to the nearest.
inline int ScaleTo(int logical, int dpi) {
  return MulDiv(logical, dpi, kLogicalDpi);
}
inline int ScaleFrom(int pixels, int dpi) {
  return MulDiv(pixels, kLogicalDpi, dpi);
}

} // namespace ui
