#pragma once
// The whole-test view's trace: every curve shown fitted to the chart's columns on one time scale
// from their 0 s and one force scale, each in its own colour, the reference drawn thicker beneath
// the others so that they stay visible on it. Pure logic: it draws into the trace canvas.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/columnsource.h"
#include "chart/forcechart.h"
#include "chart/openedtests.h"
#include "chart/tracecanvas.h"

namespace dynlog {

struct CurveRgb {
  std::uint8_t r = 0, g = 0, b = 0;
};
// The colour of curve i: the recording's blue first, then colours told apart from it, from each
// other and from the limits' red.
CurveRgb CurveColour(std::size_t i);

// The time window the view shows: from the values [from, to) of the curve whose times the view
// counts, on `columns` columns.
TimeWindow ViewWindow(const ColumnSource& base, std::size_t from, std::size_t to, int columns);

struct OverlayColumns {
  std::vector<std::vector<ChartColumn>> curves; // each curve's columns in the window
  double low = -1, high = 1;                    // the force scale they share
};
OverlayColumns FitCurves(const std::vector<ShownCurve>& curves, const TimeWindow& window);

// Draws the curves on the axes, the reference thicker.
void DrawCurves(TraceCanvas& canvas, const ChartAxes& axes, const OverlayColumns& fitted,
                std::optional<std::size_t> reference);

// "t = 3,50 s   F = 1.234,5" of the curve's value nearest the time of column `column` of the
// window; empty beside the curve's values.
std::string CurveReadout(const ShownCurve& curve, const TimeWindow& window, int column);

// The figures of the curve's values in the window.
StretchFigures CurveStretch(const ShownCurve& curve, const TimeWindow& window);

} // namespace dynlog
