#pragma once
// The chart's scales: ticks at round steps (1, 2 or 5 times a power of ten) across a range, the
// whole test's seconds, and how many seconds the live sweep spans at the rate actually kept.

#include <string>
#include <string_view>
#include <vector>

#include "base/numberformat.h"

namespace dynlog {

struct AxisTicks {
  double first = 0.0; // the lowest tick inside the range
  double step = 1.0;
  int count = 0;
  double At(int i) const { return first + step * i; }
};

// Round ticks inside [low, high], at most maxTicks of them (at least 2 when the range allows),
// never finer than the value's last decimal place.
AxisTicks RoundTicks(double low, double high, int maxTicks, int decimals);

// A labelled tick of a test's time scale: its column counted from the time axis's start, and
// its text ("2,5 s").
struct TimeTick {
  int column = 0;
  std::string label;
  friend bool operator==(const TimeTick&, const TimeTick&) = default;
};

// The seconds scale of a test shown from `from` to `to` across `columns` columns, at most maxTicks
// ticks at round seconds. A test kept with a pre-trigger begins at a negative time: its scale runs
// from there all the same, and 0 s, where the test started, is one of the ticks.
std::vector<TimeTick> TimeTicks(double from, double to, int columns, int maxTicks,
                                const NumberSeparators& separators);

// The time axis's title, beside the force axis's "F in N".
inline constexpr std::string_view kTimeAxisName = "t in s";

// Positions 0 .. 600 of the sweep are 600 steps of one kept value each.
double SweepSeconds(double valuesPerSecond);

// "1,875 s je Durchlauf (320 Werte/s)", the live time axis's caption.
std::string SweepCaption(double valuesPerSecond, const NumberSeparators& separators);

} // namespace dynlog
