#include "window/wholetest.h"

#include <algorithm>
#include <cstdint>

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

} // namespace dynlog
