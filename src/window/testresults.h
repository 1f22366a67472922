#pragma once
// The results of a test, kept as the values come: count, maximum and when it came, minimum and
// when, the sum for the mean. Each value costs a few comparisons, never a pass over the recording.

#include <cstdint>
#include <string>

#include "window/numberformat.h"

namespace dynlog {

class TestResults {
public:
  void Clear() { *this = TestResults{}; }
  void Add(float value) {
    if (count_ == 0 || value > max_) {
      max_ = value;
      maxIndex_ = count_;
    }
    if (count_ == 0 || value < min_) {
      min_ = value;
      minIndex_ = count_;
    }
    sum_ += value;
    ++count_;
  }

  std::uint64_t Count() const { return count_; }
  float Max() const { return max_; }
  float Min() const { return min_; }
  std::uint64_t MaxIndex() const { return maxIndex_; } // 0 for the first value
  std::uint64_t MinIndex() const { return minIndex_; }
  double Mean() const { return count_ ? sum_ / static_cast<double>(count_) : 0.0; }

private:
  std::uint64_t count_ = 0;
  float max_ = 0, min_ = 0;
  std::uint64_t maxIndex_ = 0, minIndex_ = 0;
  double sum_ = 0;
};

// How the figures read: values rounded as the measurement file writes them (the unit's decimals,
// 5 significant digits), times in seconds since Start at the rate kept (the first value at 0 s).
struct ResultsFormat {
  double valuesPerSecond = 10;
  int decimalPlaces = 0;
  NumberSeparators separators;
};

// The window's line: "1.234 Werte in 123,4 s   Max. 1.202 bei 3,5 s   Min. -5   Mittel 600,3".
// Empty without values.
std::string ResultsLine(const TestResults& results, const ResultsFormat& format);

// The same figures for a script, one line each, with CR LF: "Werte: 1234", "Dauer: 123,4 s",
// "Maximum: 1202 bei 3,5 s", "Minimum: -5 bei 0 s", "Mittelwert: 600,3". Pass separators without
// thousands grouping for a script.
std::string ResultsReport(const TestResults& results, const ResultsFormat& format);

} // namespace dynlog
