#include "chart/tracecanvas.h"

#include <algorithm>
#include <cstdlib>

namespace dynlog {

void TraceCanvas::Attach(std::uint32_t* pixels, int width, int height) {
  pixels_ = pixels;
  width_ = pixels ? std::max(width, 0) : 0;
  height_ = pixels ? std::max(height, 0) : 0;
  drawn_ = {};
}

void TraceCanvas::Fill(std::uint32_t pixel) {
  std::fill(pixels_, pixels_ + Index(0, height_), pixel);
  Mark(0, 0, width_, height_);
}

void TraceCanvas::FillBox(PixelBox box, std::uint32_t pixel) {
  box = {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, width_),
         std::min(box.bottom, height_)};
  if (box.Empty())
    return;
  for (int y = box.top; y < box.bottom; ++y)
    std::fill(pixels_ + Index(box.left, y), pixels_ + Index(box.right, y), pixel);
  Mark(box.left, box.top, box.right, box.bottom);
}

void TraceCanvas::CopyFrom(const TraceCanvas& from) {
  const int w = std::min(width_, from.width_), h = std::min(height_, from.height_);
  for (int y = 0; y < h; ++y)
    std::copy(from.pixels_ + from.Index(0, y), from.pixels_ + from.Index(0, y) + w,
              pixels_ + Index(0, y));
  Mark(0, 0, w, h);
}

void TraceCanvas::DrawSegment(const ChartSegment& s, std::uint32_t pixel) {
  const bool flat = std::abs(static_cast<long long>(s.to.x) - s.from.x) >=
                    std::abs(static_cast<long long>(s.to.y) - s.from.y);
  for (int offset = -kPenWidth / 2; offset < kPenWidth - kPenWidth / 2; ++offset) {
    const int dx = flat ? 0 : offset, dy = flat ? offset : 0;
    DrawLine({s.from.x + dx, s.from.y + dy}, {s.to.x + dx, s.to.y + dy}, pixel);
  }
}

void TraceCanvas::DrawLine(ChartPoint from, ChartPoint to, std::uint32_t pixel) {
  // Along the main direction, one pixel per step; across it, the nearest pixel to the exact
  // line, a half rounded away from the start. Each pixel is computed on its own, not carried
  // from the one before, so the steps outside the canvas can be skipped.
  const bool flat = std::abs(static_cast<long long>(to.x) - from.x) >=
                    std::abs(static_cast<long long>(to.y) - from.y);
  const long long a0 = flat ? from.x : from.y, a1 = flat ? to.x : to.y;
  const long long b0 = flat ? from.y : from.x, b1 = flat ? to.y : to.x;
  const long long limitA = flat ? width_ : height_, limitB = flat ? height_ : width_;
  const long long length = std::abs(a1 - a0), rise = std::abs(b1 - b0);
  const int stepA = a1 >= a0 ? 1 : -1, stepB = b1 >= b0 ? 1 : -1;
  // The steps whose main coordinate lies on the canvas.
  long long first = stepA > 0 ? -a0 : a0 - (limitA - 1);
  long long last = stepA > 0 ? limitA - 1 - a0 : a0;
  first = std::max(first, 0LL);
  last = std::min(last, length);
  long long minA = limitA, maxA = -1, minB = limitB, maxB = -1;
  for (long long t = first; t <= last; ++t) {
    const long long across = length == 0 ? 0 : (2 * rise * t + length) / (2 * length);
    const long long a = a0 + stepA * t, b = b0 + stepB * across;
    if (b < 0 || b >= limitB)
      continue;
    const int x = static_cast<int>(flat ? a : b), y = static_cast<int>(flat ? b : a);
    pixels_[Index(x, y)] = pixel;
    minA = std::min(minA, a);
    maxA = std::max(maxA, a);
    minB = std::min(minB, b);
    maxB = std::max(maxB, b);
  }
  if (maxA < 0)
    return;
  if (flat)
    Mark(static_cast<int>(minA), static_cast<int>(minB), static_cast<int>(maxA) + 1,
         static_cast<int>(maxB) + 1);
  else
    Mark(static_cast<int>(minB), static_cast<int>(minA), static_cast<int>(maxB) + 1,
         static_cast<int>(maxA) + 1);
}

void TraceCanvas::Mark(int left, int top, int right, int bottom) {
  const PixelBox box{left, top, right, bottom};
  if (box.Empty())
    return;
  if (drawn_.Empty()) {
    drawn_ = box;
    return;
  }
  drawn_ = {std::min(drawn_.left, left), std::min(drawn_.top, top), std::max(drawn_.right, right),
            std::max(drawn_.bottom, bottom)};
}

PixelBox TraceCanvas::TakeDrawn() {
  const PixelBox box = drawn_;
  drawn_ = {};
  return box;
}

} // namespace dynlog
