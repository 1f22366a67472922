#pragma once
// The results of a test, kept as the values come: count, maximum and when it came, minimum and
// when (seconds since Start, as the recording times its values), the sum for the mean. Each value
// costs a few comparisons, never a pass over the recording.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/numberformat.h"
#include "test/forceunit.h"

namespace dynlog {

// The highest and the lowest of a stretch of the unit's frames, with their times. At a thinned
// rate the frames between two kept values are passed over and with averaging they are merged, so
// the kept values can miss a test's peak: a pull test peaks just before its break, in the
// frames between two kept values as often as not. Every frame goes into one of these.
struct FramePeaks {
  float max = 0, min = 0;
  double maxSeconds = 0, minSeconds = 0;
  bool any = false;

  void Take(float value, double seconds) {
    if (!any || value > max) {
      max = value;
      maxSeconds = seconds;
    }
    if (!any || value < min) {
      min = value;
      minSeconds = seconds;
    }
    any = true;
  }
  void Take(const FramePeaks& other) {
    if (!other.any)
      return;
    Take(other.max, other.maxSeconds);
    Take(other.min, other.minSeconds);
  }
};

class TestResults {
public:
  void Clear() { *this = TestResults{}; }
  // A kept value: counted, summed, and one of the extremes.
  void Add(float value, double seconds) {
    if (count_ == 0)
      firstSeconds_ = seconds;
    extremes_.Take(value, seconds);
    lastSeconds_ = seconds;
    sum_ += value;
    ++count_;
  }
  // The frames a kept value stands for (or those after the last one, up to a test's end): they
  // count for the maximum and the minimum only.
  void AddFrames(const FramePeaks& frames) {
    extremes_.Take(frames);
    fromFrames_ = fromFrames_ || frames.any;
  }

  std::uint64_t Count() const { return count_; }
  float Max() const { return extremes_.max; }
  float Min() const { return extremes_.min; }
  double MaxSeconds() const { return extremes_.maxSeconds; } // 0 for the first value
  double MinSeconds() const { return extremes_.minSeconds; }
  // Whether the maximum and the minimum are those of every frame, not only of the kept values.
  bool FromFrames() const { return fromFrames_; }
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
  FramePeaks extremes_;
  bool fromFrames_ = false;
  double firstSeconds_ = 0, lastSeconds_ = 0;
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
  // The maximum and the minimum are those of every frame the unit sent at this rate, which the
  // kept values need not contain; 0 when they are those of the kept values.
  int peakFramesPerSecond = 0;
};

// Where the maximum and the minimum come from, "aus allen 320 Werten/s des Geräts", or empty when
// they are those of the kept values.
std::string PeakSourceText(int peakFramesPerSecond);

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
// 600,3 N" (without a unit, the figures alone); of a whole test whose extremes are of every frame,
// "   (Max./Min. aus 320 Werten/s)" after it, short: a narrow window cuts it first.
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
// "Lücken: 1, zusammen 4,021 s"; where the extremes are of every frame, "Spitzenwerte: aus allen
// 320 Werten/s des Geräts" after the minimum. Pass separators without thousands grouping for a
// script.
std::string ResultsReport(const TestResults& results, const ResultsFormat& format,
                          const GapSummary& gaps);

} // namespace dynlog
