#pragma once
// The chart's picture off screen: a bitmap whose pixels the trace canvas draws straight into, and
// onto which GDI paints the scales and text lines. The window copies from it, so a repaint shows
// the trace again instead of wiping it.
#include "base/dibsection.h"
#include "chart/tracecanvas.h"

#include <windows.h>

#include <cstdint>

namespace dynlog {

class TracePicture {
public:
  TracePicture(COLORREF trace, COLORREF paper);

  // Grows the bitmap to hold width x height, keeping what is drawn; never shrinks it, so a
  // window made smaller and larger again keeps its trace.
  void Fit(int width, int height);
  explicit operator bool() const { return static_cast<bool>(bitmap_); }
  HDC dc() const { return bitmap_.dc(); }
  TraceCanvas& Canvas() { return canvas_; }

  void Draw(const ChartSegment& segment) { canvas_.DrawSegment(segment, trace_); }
  void Wipe(const ChartSegment& segment) { canvas_.DrawSegment(segment, paper_); }
  void Clear() { canvas_.Fill(paper_); }
  void ClearBox(PixelBox box) { canvas_.FillBox(box, paper_); }
  std::uint32_t TracePixel() const { return trace_; }

  // Copies the area of the picture to the same place of dc.
  void CopyTo(HDC dc, const RECT& area) const;

private:
  base::MemoryBitmap bitmap_;
  TraceCanvas canvas_;
  std::uint32_t trace_, paper_;
};

} // namespace dynlog
