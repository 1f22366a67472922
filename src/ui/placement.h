#pragma once
// Where a window may stand: inside the work area of its monitor (the screen less the task bar and
// docked bars), so that a title bar is never out of reach and no part of a window is cut off.
#include <windows.h>

namespace ui {

// The window moved by as little as possible so that it lies inside area. A window larger than the
// area keeps its top-left corner in the area, so its title bar and close box stay reachable.
RECT PlaceInside(const RECT& window, const RECT& area);

// The work area of the monitor that holds most of the window (the nearest one when none does).
RECT WorkAreaOf(HWND window);

// Moves the window into the work area of its monitor, keeping its size.
void KeepInWorkArea(HWND window);

} // namespace ui
