#include "chart/columnsource.h"

#include <algorithm>
#include <cmath>

namespace dynlog {

std::uint64_t ColumnSource::IndexAt(double seconds) const {
  std::uint64_t low = 0, high = Count();
  while (low < high) {
    const std::uint64_t mid = low + (high - low) / 2;
    if (SecondsOf(mid) < seconds)
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

std::vector<ChartColumn> SpanColumns::Columns(std::uint64_t from, std::uint64_t to,
                                              int columns) const {
  to = std::min<std::uint64_t>(to, values_.size());
  from = std::min(from, to);
  return FitColumns(values_.subspan(from, to - from), columns, from, secondsOf_);
}

StretchFigures SpanColumns::Stretch(std::uint64_t from, std::uint64_t to) const {
  StretchFigures f;
  to = std::min<std::uint64_t>(to, values_.size());
  if (from >= to)
    return f;
  f.count = to - from;
  f.firstSeconds = SecondsOf(from);
  f.lastSeconds = SecondsOf(to - 1);
  std::uint64_t maxAt = from, minAt = from;
  double sum = 0;
  for (std::uint64_t i = from; i < to; ++i) {
    const float v = values_[i];
    sum += v;
    if (v > values_[maxAt])
      maxAt = i;
    if (v < values_[minAt])
      minAt = i;
  }
  f.max = values_[maxAt];
  f.min = values_[minAt];
  f.maxSeconds = SecondsOf(maxAt);
  f.minSeconds = SecondsOf(minAt);
  f.mean = sum / static_cast<double>(f.count);
  return f;
}

std::pair<std::uint64_t, std::uint64_t> IndicesInWindow(const ColumnSource& source,
                                                        const TimeWindow& window) {
  const std::uint64_t from = source.IndexAt(window.first);
  const std::uint64_t to = source.IndexAt(std::nextafter(window.last, 1e300));
  return {from, std::max(from, to)};
}

std::vector<ChartColumn> ColumnsInWindow(const ColumnSource& source, const TimeWindow& window) {
  const auto [from, to] = IndicesInWindow(source, window);
  if (from >= to || window.columns < 1)
    return {};
  // The source places its first value in column 0 and its last in the last column it is given:
  // it is given the columns between those of its own first and last time.
  const auto column = [&](std::uint64_t i) {
    return static_cast<int>(std::clamp(std::floor(window.ColumnOf(source.SecondsOf(i)) + 0.5), 0.0,
                                       static_cast<double>(window.columns - 1)));
  };
  const int first = column(from), last = column(to - 1);
  std::vector<ChartColumn> fitted = source.Columns(from, to, last - first + 1);
  for (ChartColumn& c : fitted)
    c.column += first;
  return fitted;
}

std::uint64_t NearestIndex(const ColumnSource& source, double seconds) {
  const std::uint64_t count = source.Count();
  if (count == 0)
    return 0;
  std::uint64_t i = std::min(source.IndexAt(seconds), count - 1);
  if (i > 0 && seconds - source.SecondsOf(i - 1) < source.SecondsOf(i) - seconds)
    --i;
  return i;
}

std::string StretchLine(const StretchFigures& f, const ResultsFormat& format) {
  if (f.count == 0)
    return {};
  return "Ausschnitt " +
         ResultsLine(ResultFigures{f.count, f.Duration(format.valuesPerSecond), f.max, f.min,
                                   f.maxSeconds, f.minSeconds, f.mean},
                     format);
}

} // namespace dynlog
