#pragma once
// A test's values fitted to a number of columns (a chart's, a screen's): each column keeps the
// first, last, lowest and highest of the values that fall in it, so that a peak of a single value
// is never lost however many values share a column. Values are placed by their times, so a gap
// in the recording keeps its width.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace dynlog {

struct ChartColumn {
  int column = 0;
  float first = 0, last = 0; // the column's first and last value, for the line to its neighbours
  float min = 0, max = 0;
};

// The time of a value of the recording (by its index from Start) in seconds; empty: the index
// itself, values evenly spaced. The whole test places values by their times, so a gap in the
// recording keeps its width and the time scale holds across it.
using SecondsOfValue = std::function<double(std::uint64_t)>;

// The time of value `index` as secondsOf gives it, or the index itself without it.
inline double SecondsAt(const SecondsOfValue& secondsOf, std::uint64_t index) {
  return secondsOf ? secondsOf(index) : static_cast<double>(index);
}

// The column of time t as the view places it: `first` in column 0, `last` in the last column, the
// ones between rounded to the nearer column.
int ColumnOfTime(double t, double first, double last, int columns);

// Every column that holds at least one value, left to right, in one pass over the values: the
// first value (index firstIndex of the recording) in column 0, the last in the last column, the
// ones between by their times.
std::vector<ChartColumn> FitColumns(std::span<const float> values, int columns,
                                    std::uint64_t firstIndex = 0,
                                    const SecondsOfValue& secondsOf = {});

} // namespace dynlog
