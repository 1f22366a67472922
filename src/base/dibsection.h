#pragma once
// A bitmap whose pixels the program reaches directly: a DIB section of 24 or 32 bits a pixel,
// top row first or last.
#include "base/handles.h"

#include <windows.h>

namespace base {

enum class RowOrder { TopDown, BottomUp };

// An empty owner when the system cannot make it; `pixels` is then null.
inline Bitmap MakeDibSection(int width, int height, int bitsPerPixel, RowOrder order,
                             void*& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = order == RowOrder::TopDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  pixels = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap)
    pixels = nullptr;
  return bitmap;
}

} // namespace base
