#pragma once
// A picture of a window's client area with all its controls, made by asking the windows to print
// themselves, so it works without a screen too.
#include <windows.h>

#include <string>

namespace ui {

// Paints the client area of window and its children into dc as the screen shows them.
void PrintWindowAsShown(HWND window, HDC dc);

// Writes the client area of window as a 24-bit BMP file. Throws on failure.
void SaveWindowBitmap(HWND window, const std::string& utf8Path);
// The same as a PNG file when the name ends in ".png" (in any case), else as SaveWindowBitmap.
void SaveWindowPicture(HWND window, const std::string& utf8Path);

} // namespace ui
