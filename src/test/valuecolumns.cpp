#include "test/valuecolumns.h"

#include <algorithm>
#include <cmath>

namespace dynlog {

int ColumnOfTime(double t, double first, double last, int columns) {
  if (columns < 2 || last <= first)
    return 0;
  const double at = std::floor((t - first) * (columns - 1) / (last - first) + 0.5);
  return static_cast<int>(std::clamp(at, 0.0, static_cast<double>(columns - 1)));
}

std::vector<ChartColumn> FitColumns(std::span<const float> values, int columns,
                                    std::uint64_t firstIndex, const SecondsOfValue& secondsOf) {
  std::vector<ChartColumn> fitted;
  fitted.reserve(static_cast<std::size_t>(std::max(columns, 1)));
  if (values.empty())
    return fitted;
  const double first = SecondsAt(secondsOf, firstIndex);
  const double last = SecondsAt(secondsOf, firstIndex + values.size() - 1);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const float v = values[i];
    const int column = ColumnOfTime(SecondsAt(secondsOf, firstIndex + i), first, last, columns);
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

} // namespace dynlog
