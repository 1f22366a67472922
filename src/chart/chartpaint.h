#pragma once
// The chart's scales and text lines, drawn with GDI into the off-screen bitmap the window paints
// from. What they say is worked out in chartscale, test/results and wholetest.
#include "base/numberformat.h"
#include "chart/forcechart.h"

#include <windows.h>

#include <string_view>

namespace dynlog {

struct ScalePaint {
  HDC dc;
  HFONT font;
  HBRUSH paper;
  const NumberSeparators& separators;
  int dpi = 96; // the screen's: ticks, gaps and label boxes scale with it
  const ChartFrame& frame = kDefaultFrame;

  static constexpr ChartFrame kDefaultFrame{};
  int Px(int logical) const { return MulDiv(logical, dpi, 96); }
};

// The force scale left of the vertical axis: a tick mark and a label at each round step from low
// to high, in the unit's decimal places. Returns the area painted.
RECT PaintForceScale(const ScalePaint& p, const ChartAxes& axes, double low, double high,
                     int decimals);

// The live sweep's line below the horizontal axis, clientWidth wide: "0" under the axis's start and
// the sweep's span at its end. Returns the area painted.
RECT PaintSweepScale(const ScalePaint& p, const ChartAxes& axes, int clientWidth,
                     double valuesPerSecond);

// A test's time scale there: labelled ticks at round seconds from `from` to `to`, its first and
// last time, whatever their sign. Returns the area painted.
RECT PaintTimeScale(const ScalePaint& p, const ChartAxes& axes, int clientWidth, double from,
                    double to);

// The two axes: a black 1-pixel outline around a white fill 2 pixels across, so a black line.
void PaintAxes(HDC dc, const ChartAxes& axes);

// One line of text, left-aligned in the box (or as align says), on the paper.
void PaintTextLine(const ScalePaint& p, const RECT& box, std::string_view utf8,
                   UINT align = DT_LEFT);

} // namespace dynlog
