#pragma once
// The whole test after Stop: the recording from Start to Stop fitted to the chart's columns, and
// the part of it the user has zoomed into. A column keeps the minimum and the maximum of its
// values, so a peak of a single value is never lost however many values share a column.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/numberformat.h"
#include "chart/forcechart.h"
#include "chart/tracecanvas.h"
#include "test/valuecolumns.h"

namespace dynlog {

// Which values of the recording the view shows: [from, to).
class WholeTestView {
public:
  void ShowAll(std::size_t count) {
    from_ = 0;
    to_ = count;
  }
  std::size_t From() const { return from_; }
  std::size_t To() const { return to_; }
  bool Zoomed(std::size_t count) const { return from_ != 0 || to_ != count; }

  // The value nearest in time to column `column` of `columns`.
  std::size_t ValueAt(int column, int columns, const SecondsOfValue& secondsOf = {}) const;
  // Zooms into the values under columns a .. b (either order); a range of fewer than 2 values is
  // not a zoom and changes nothing. Returns whether the view changed.
  bool ZoomToColumns(int a, int b, int columns, const SecondsOfValue& secondsOf = {});

private:
  std::size_t from_ = 0, to_ = 0;
};

// The lowest and highest value the columns hold, widened when they are equal.
std::pair<double, double> ColumnRange(const std::vector<ChartColumn>& columns);

// Draws the fitted columns on the chart's axes, scaled from low to high: each column a line from
// its minimum to its maximum, joined to the column before.
void DrawColumns(TraceCanvas& canvas, const ChartAxes& axes,
                 const std::vector<ChartColumn>& columns, double low, double high,
                 std::uint32_t pixel);

} // namespace dynlog
