#include "chart/tracepicture.h"

#include <algorithm>
#include <utility>

namespace dynlog {
namespace {

std::uint32_t PixelOf(COLORREF colour) {
  return RgbPixel(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace

TracePicture::TracePicture(COLORREF trace, COLORREF paper)
    : trace_(PixelOf(trace)), paper_(PixelOf(paper)) {}

void TracePicture::Fit(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (bitmap_ && width <= canvas_.Width() && height <= canvas_.Height())
    return;
  const int w = std::max(width, canvas_.Width()), h = std::max(height, canvas_.Height());
  // 32 bits a pixel, top row first: the canvas's own layout.
  base::MemoryBitmap bitmap(w, h);
  if (!bitmap)
    return; // the trace stays as large as it was
  TraceCanvas canvas;
  canvas.Attach(static_cast<std::uint32_t*>(bitmap.pixels()), w, h);
  canvas.Fill(paper_);
  canvas.CopyFrom(canvas_);
  canvas.TakeDrawn(); // the whole window is repainted after a resize
  bitmap_ = std::move(bitmap);
  canvas_ = canvas;
}

void TracePicture::CopyTo(HDC dc, const RECT& area) const {
  if (bitmap_)
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, bitmap_.dc(),
           area.left, area.top, SRCCOPY);
}

} // namespace dynlog
