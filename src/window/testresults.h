#pragma once
// The results of a test, kept as the values come: count, maximum and when it came, minimum and
// when (seconds since Start, as the recording times its values), the sum for the mean. Each value
// costs a few comparisons, never a pass over the recording.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "window/forceunit.h"
#include "window/numberformat.h"

namespace dynlog {

class TestResults {
public:
  void Clear() { *this = TestResults{}; }
  void Add(float value, double seconds) {
    if (count_ == 0)
      firstSeconds_ = seconds;
    if (count_ == 0 || value > max_) {
      max_ = value;
      maxSeconds_ = seconds;
    }
    if (count_ == 0 || value < min_) {
      min_ = value;
      minSeconds_ = seconds;
    }
    lastSeconds_ = seconds;
    sum_ += value;
    ++count_;
  }

  std::uint64_t Count() const { return count_; }
  float Max() const { return max_; }
  float Min() const { return min_; }
  double MaxSeconds() const { return maxSeconds_; } // 0 for the first value
  double MinSeconds() const { return minSeconds_; }
  double FirstSeconds() const { return firstSeconds_; } // negative with a pre-trigger
  double LastSeconds() const { return lastSeconds_; }
  // From the test's 0 s, or from its first value when a pre-trigger put that before it, to the
  // end of the last value's interval; 0 without values.
  double Duration(double valuesPerSecond) const {
    return count_ ? lastSeconds_ - std::min(firstSeconds_, 0.0) + 1 / valuesPerSecond : 0;
  }
  double Mean() const { return count_ ? sum_ / static_cast<double>(count_) : 0.0; }

private:
  std::uint64_t count_ = 0;
  float max_ = 0, min_ = 0;
  double firstSeconds_ = 0, maxSeconds_ = 0, minSeconds_ = 0, lastSeconds_ = 0;
  double sum_ = 0;
};

// How the figures read: values rounded as the measurement file writes them (the unit's decimals,
// 5 significant digits), times in seconds to the decimals of the rate kept; the duration runs to
// the end of the last value's interval.
struct ResultsFormat {
  double valuesPerSecond = 10;
  int decimalPlaces = 0;
  NumberSeparators separators;
  ForceUnit unit = ForceUnit::None; // named after every force figure
};

// The figures a results line gives, of a whole test or of a stretch of it.
struct ResultFigures {
  std::uint64_t count = 0;
  double duration = 0;
  float max = 0, min = 0;
  double maxSeconds = 0, minSeconds = 0;
  double mean = 0;
};
ResultFigures FiguresOf(const TestResults& results, double valuesPerSecond);

// The window's line: "1.234 Werte in 123,4 s   Max. 1.202 N bei 3,5 s   Min. -5 N   Mittel
// 600,3 N" (without a unit, the figures alone).
// Empty without values.
std::string ResultsLine(const TestResults& results, const ResultsFormat& format);
std::string ResultsLine(const ResultFigures& figures, const ResultsFormat& format);

// The gaps in the unit's stream the times went on across.
struct GapSummary {
  std::size_t count = 0;
  double seconds = 0;
};

// The same figures for a script, one line each, with CR LF: "Werte: 1234", "Dauer: 123,4 s",
// "Maximum: 1202 N bei 3,5 s", "Minimum: -5 N bei 0 s", "Mittelwert: 600,3 N", and last the gaps,
// "Lücken: 1, zusammen 4,021 s". Pass separators without thousands grouping for a script.
std::string ResultsReport(const TestResults& results, const ResultsFormat& format,
                          const GapSummary& gaps);

} // namespace dynlog
