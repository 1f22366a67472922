#include "chart/wholetest.h"

#include "chart/chartscale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace dynlog {

std::pair<double, double> ColumnRange(const std::vector<ChartColumn>& columns) {
  if (columns.empty())
    return {-1.0, 1.0};
  double low = columns.front().min, high = columns.front().max;
  for (const ChartColumn& c : columns) {
    low = std::min<double>(low, c.min);
    high = std::max<double>(high, c.max);
  }
  if (high - low < 1e-9)
    return {low - 1.0, high + 1.0};
  return {low, high};
}

void DrawColumns(TraceCanvas& canvas, const ChartAxes& axes,
                 const std::vector<ChartColumn>& columns, double low, double high,
                 std::uint32_t pixel) {
  std::optional<ChartPoint> before;
  for (const ChartColumn& c : columns) {
    const int x = axes.shape2Left + 2 + c.column;
    const ChartPoint first{x, ChartRow(axes, low, high, c.first)};
    if (before)
      canvas.DrawSegment({*before, first}, pixel);
    canvas.DrawSegment(
        {{x, ChartRow(axes, low, high, c.min)}, {x, ChartRow(axes, low, high, c.max)}}, pixel);
    before = ChartPoint{x, ChartRow(axes, low, high, c.last)};
  }
}

std::size_t WholeTestView::ValueAt(int column, int columns, const SecondsOfValue& secondsOf) const {
  if (to_ <= from_ + 1 || columns < 2)
    return from_;
  column = std::clamp(column, 0, columns - 1);
  const double first = SecondsAt(secondsOf, from_), last = SecondsAt(secondsOf, to_ - 1);
  const double t = first + (last - first) * column / (columns - 1);
  // The first value at or after t, or the one before it when that is nearer (a tie goes to the
  // later one). The times rise with the index.
  std::size_t low = from_, high = to_ - 1;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (SecondsAt(secondsOf, mid) < t)
      low = mid + 1;
    else
      high = mid;
  }
  if (low > from_ && t - SecondsAt(secondsOf, low - 1) < SecondsAt(secondsOf, low) - t)
    --low;
  return low;
}

bool WholeTestView::ZoomToColumns(int a, int b, int columns, const SecondsOfValue& secondsOf) {
  const std::size_t first = ValueAt(std::min(a, b), columns, secondsOf);
  const std::size_t last = ValueAt(std::max(a, b), columns, secondsOf);
  if (last <= first)
    return false;
  from_ = first;
  to_ = last + 1;
  return true;
}

} // namespace dynlog
