#pragma once
// What the whole-test view draws from: the values of one test, fitted to the chart's columns
// however they are kept. The recording in memory hands over its values as they lie; a test opened
// from its file hands over its block minima and maxima, so that a stream of millions of values is
// drawn without a pass over all of them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "chart/wholetest.h"
#include "test/results.h"
#include "test/values.h"

namespace dynlog {

class ColumnSource {
public:
  virtual ~ColumnSource() = default;
  virtual std::uint64_t Count() const = 0;
  virtual float Value(std::uint64_t i) const = 0;
  virtual double SecondsOf(std::uint64_t i) const = 0;
  // The values [from, to) on `columns` columns: the first in column 0, the last in the last.
  virtual std::vector<ChartColumn> Columns(std::uint64_t from, std::uint64_t to,
                                           int columns) const = 0;
  virtual StretchFigures Stretch(std::uint64_t from, std::uint64_t to) const = 0;

  // The first value at or after `seconds` (Count() when none is); the times rise with the index.
  std::uint64_t IndexAt(double seconds) const;
  double LastSeconds() const { return Count() ? SecondsOf(Count() - 1) : 0.0; }
};

// The recording's values, timed by its clock.
class SpanColumns final : public ColumnSource {
public:
  SpanColumns(std::span<const float> values, SecondsOfValue secondsOf)
      : values_(values), secondsOf_(std::move(secondsOf)) {}
  std::uint64_t Count() const override { return values_.size(); }
  float Value(std::uint64_t i) const override { return values_[i]; }
  double SecondsOf(std::uint64_t i) const override {
    return secondsOf_ ? secondsOf_(i) : static_cast<double>(i);
  }
  std::vector<ChartColumn> Columns(std::uint64_t from, std::uint64_t to,
                                   int columns) const override;
  StretchFigures Stretch(std::uint64_t from, std::uint64_t to) const override;

private:
  std::span<const float> values_;
  SecondsOfValue secondsOf_;
};

// An opened test's values, through their blocks.
class TestValuesColumns final : public ColumnSource {
public:
  explicit TestValuesColumns(const TestValues& values) : values_(values) {}
  std::uint64_t Count() const override { return values_.Count(); }
  float Value(std::uint64_t i) const override { return values_.Value(i); }
  double SecondsOf(std::uint64_t i) const override { return values_.SecondsOf(i); }
  std::vector<ChartColumn> Columns(std::uint64_t from, std::uint64_t to,
                                   int columns) const override {
    return values_.Columns(from, to, columns);
  }
  StretchFigures Stretch(std::uint64_t from, std::uint64_t to) const override {
    return values_.Stretch(from, to);
  }

private:
  const TestValues& values_;
};

// A time window of the chart: `first` seconds in column 0, `last` in the last of `columns`.
struct TimeWindow {
  double first = 0, last = 0;
  int columns = 0;
  // The column of time t, rounded to the nearer one; outside the window beyond its ends.
  double ColumnOf(double t) const {
    return last > first ? (t - first) * (columns - 1) / (last - first) : 0.0;
  }
};

// The values of a source that lie in the window, on the window's columns: a test laid over
// another keeps its own times, so both read on one time scale.
std::vector<ChartColumn> ColumnsInWindow(const ColumnSource& source, const TimeWindow& window);
// The values of a source that lie in the window: [first, end).
std::pair<std::uint64_t, std::uint64_t> IndicesInWindow(const ColumnSource& source,
                                                        const TimeWindow& window);

// The value nearest in time to t, the later one on a tie; none without values.
std::uint64_t NearestIndex(const ColumnSource& source, double seconds);

// The second results line, of the stretch shown: "Ausschnitt 120 Werte in 0,375 s   Max. 251,6 N
// bei 2,1 s   Min. 5,5 N   Mittel 139 N". Empty without values.
std::string StretchLine(const StretchFigures& figures, const ResultsFormat& format);

} // namespace dynlog
