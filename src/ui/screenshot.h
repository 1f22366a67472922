#pragma once
// A picture of a window's client area with all its controls, made by asking the windows to print
// themselves, so it works without a screen too.
#include "base/dibsection.h"

#include <windows.h>

#include <span>
#include <string>

namespace ui {

// Paints the client area of window and its children into dc as the screen shows them; the
// children in leaveOut as if they were hidden.
void PrintWindowAsShown(HWND window, HDC dc, std::span<const HWND> leaveOut = {});

// The part `area` of the client area (in its pixels) as the screen shows it, without the children
// in leaveOut, the area cut to the client. Throws std::runtime_error with a German text when it is
// empty or the bitmap cannot be made.
base::MemoryBitmap WindowAreaPicture(HWND window, RECT area, std::span<const HWND> leaveOut = {});

// Writes the client area of window as a 24-bit BMP file. Throws on failure.
void SaveWindowBitmap(HWND window, const std::string& utf8Path);
// The same as a PNG file when the name ends in ".png" (in any case), else as SaveWindowBitmap.
void SaveWindowPicture(HWND window, const std::string& utf8Path);

} // namespace ui
