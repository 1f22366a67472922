#include "window/wholetest.h"

#include "window/chartscale.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace dynlog {

int ColumnOfValue(std::size_t index, std::size_t count, int columns) {
  if (count < 2 || columns < 2)
    return 0;
  const std::uint64_t span = count - 1, across = static_cast<std::uint64_t>(columns - 1);
  return static_cast<int>((2 * index * across + span) / (2 * span));
}

std::vector<ChartColumn> FitColumns(std::span<const float> values, int columns) {
  std::vector<ChartColumn> fitted;
  fitted.reserve(static_cast<std::size_t>(std::max(columns, 1)));
  for (std::size_t i = 0; i < values.size(); ++i) {
    const float v = values[i];
    const int column = ColumnOfValue(i, values.size(), columns);
    if (fitted.empty() || fitted.back().column != column) {
      fitted.push_back({column, v, v, v, v});
      continue;
    }
    ChartColumn& c = fitted.back();
    c.last = v;
    c.min = std::min(c.min, v);
    c.max = std::max(c.max, v);
  }
  return fitted;
}

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

std::size_t WholeTestView::ValueAt(int column, int columns) const {
  const std::size_t count = to_ - from_;
  if (count == 0)
    return from_;
  if (columns < 2)
    return from_;
  column = std::clamp(column, 0, columns - 1);
  const std::uint64_t span = count - 1, across = static_cast<std::uint64_t>(columns - 1);
  return from_ + static_cast<std::size_t>((2 * static_cast<std::uint64_t>(column) * span + across) /
                                          (2 * across));
}

bool WholeTestView::ZoomToColumns(int a, int b, int columns) {
  const std::size_t first = ValueAt(std::min(a, b), columns);
  const std::size_t last = ValueAt(std::max(a, b), columns);
  if (last <= first)
    return false;
  from_ = first;
  to_ = last + 1;
  return true;
}

std::string ReadoutText(const WholeTestView& view, std::span<const float> values, int column,
                        int columns, double valuesPerSecond,
                        const std::function<double(std::uint64_t)>& secondsOf, int decimals,
                        const NumberSeparators& separators) {
  if (column < 0 || column >= columns || view.To() <= view.From() || view.To() > values.size())
    return {};
  const std::size_t i = view.ValueAt(column, columns);
  std::string text = "t = ";
  AppendSeconds(text, secondsOf(i), TimeDecimals(valuesPerSecond), separators);
  text += " s   F = ";
  AppendNumber(text, values[i], decimals, kFileSignificantDigits, separators);
  return text;
}

} // namespace dynlog
