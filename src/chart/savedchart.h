#pragma once
// The chart of a saved test at any size: where its axes lie, the force and time ranges its scales
// show, the trace as one line through the columns' extremes, and the rows of its limits. No
// drawing here; savedchartpicture paints it with GDI onto any device (a bitmap, a printer, a
// metafile).

#include <optional>
#include <vector>

#include "chart/forcechart.h"
#include "test/values.h"
#include "test/verdict.h"

namespace dynlog {

struct TestChartLayout {
  int width = 0, height = 0;
  int dpi = 96;
  ChartFrame frame; // the room around the axes, in this device's pixels
  ChartAxes axes;
  double low = -1, high = 1;             // the force scale, the limits included
  double fromSeconds = 0, toSeconds = 0; // the time scale: the first and the last value
  std::vector<ChartPoint> trace;         // a polyline: each column's first, min, max, last
  std::optional<int> lowerRow, upperRow; // the limits' rows
  int Px(int logical) const { return logical * dpi / 96; }
};

// The whole test on a chart of width x height pixels at dpi. A column keeps the lowest and the
// highest of its values, so no peak is lost however many values share it.
TestChartLayout LayOutTestChart(const TestValues& values, const ForceLimits& limits, int width,
                                int height, int dpi);

} // namespace dynlog
