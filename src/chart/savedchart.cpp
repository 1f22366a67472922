#include "chart/savedchart.h"

#include <algorithm>
#include <tuple>

#include "chart/wholetest.h"

namespace dynlog {

TestChartLayout LayOutTestChart(const TestValues& values, const ForceLimits& limits, int width,
                                int height, int dpi) {
  TestChartLayout chart;
  chart.width = width;
  chart.height = height;
  chart.dpi = dpi;
  // As the window's frame at 96 DPI, with room above the axis for its name and below the time
  // scale for the time axis's name and a margin.
  chart.frame = {chart.Px(36), chart.Px(60), chart.Px(24), chart.Px(20), chart.Px(26)};
  ForceChart geometry;
  geometry.FitToClient(width, height, chart.frame);
  chart.axes = geometry.Axes();

  const std::uint64_t count = values.Count();
  const std::vector<ChartColumn> columns = values.Columns(0, count, chart.axes.shape2Width);
  std::tie(chart.low, chart.high) = ColumnRange(columns);
  // A limit outside the values still shows, so that the margin to it can be seen.
  for (const auto& limit : {limits.lower, limits.upper}) {
    if (limit) {
      chart.low = std::min(chart.low, *limit);
      chart.high = std::max(chart.high, *limit);
    }
  }
  if (count > 0) {
    chart.fromSeconds = values.SecondsOf(0);
    chart.toSeconds = values.SecondsOf(count - 1);
  }
  const auto row = [&](double v) { return ChartRow(chart.axes, chart.low, chart.high, v); };
  chart.trace.reserve(columns.size() * 4);
  for (const ChartColumn& c : columns) {
    const int x = chart.axes.shape2Left + 2 + c.column;
    for (const float v : {c.first, c.min, c.max, c.last})
      chart.trace.push_back({x, row(v)});
  }
  if (limits.lower)
    chart.lowerRow = row(*limits.lower);
  if (limits.upper)
    chart.upperRow = row(*limits.upper);
  return chart;
}

} // namespace dynlog
