#include "chart/chartscale.h"

#include <algorithm>
#include <cmath>

namespace dynlog {
namespace {

// Decimals that show every tick of this step: 0,25 needs 2.
int StepDecimals(double step) {
  for (int d = 0; d < 6; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::abs(scaled - std::round(scaled)) < 1e-6)
      return d;
  }
  return 6;
}

} // namespace

AxisTicks RoundTicks(double low, double high, int maxTicks, int decimals) {
  AxisTicks ticks;
  if (!(high > low) || !std::isfinite(low) || !std::isfinite(high) || maxTicks < 1)
    return ticks;
  maxTicks = std::max(maxTicks, 2);
  const double finest = std::pow(10.0, -std::clamp(decimals, 0, 6));
  const double rough = (high - low) / (maxTicks - 1);
  double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * power;
    if (step >= rough * (1 - 1e-9))
      break;
  }
  step = std::max(step, finest);
  // Widen until the ticks fit: the rounding above can leave one too many.
  for (;;) {
    const double first = std::ceil(low / step - 1e-9) * step;
    const int count = static_cast<int>(std::floor((high - first) / step + 1e-9)) + 1;
    if (count <= maxTicks) {
      ticks.first = first == 0.0 ? 0.0 : first; // no negative zero
      ticks.step = step;
      ticks.count = std::max(count, 0);
      return ticks;
    }
    const double m = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    step *= m < 1.5 ? 2.0 : (m < 3.0 ? 2.5 : 2.0);
  }
}

std::vector<TimeTick> TimeTicks(double from, double to, int columns, int maxTicks,
                                const NumberSeparators& separators) {
  std::vector<TimeTick> ticks;
  const AxisTicks round = RoundTicks(from, to, maxTicks, 3);
  const int decimals = StepDecimals(round.step);
  for (int i = 0; i < round.count; ++i) {
    const double t = round.At(i);
    TimeTick& tick = ticks.emplace_back();
    tick.column = static_cast<int>(std::lround((t - from) / (to - from) * (columns - 1)));
    AppendSeconds(tick.label, t, decimals, separators);
    tick.label += " s";
  }
  return ticks;
}

double SweepSeconds(double valuesPerSecond) {
  return valuesPerSecond > 0 ? 600.0 / valuesPerSecond : 0.0;
}

std::string SweepCaption(double valuesPerSecond, const NumberSeparators& separators) {
  std::string text;
  AppendSeconds(text, SweepSeconds(valuesPerSecond), TimeDecimals(valuesPerSecond), separators);
  // Trailing zeros say nothing here: 60,0 s reads better as 60 s.
  if (const auto dot = text.find(separators.decimal); dot != std::string::npos) {
    while (text.back() == '0')
      text.pop_back();
    if (text.size() == dot + separators.decimal.size())
      text.resize(dot);
  }
  text += " s je Durchlauf (";
  text += FormatNumber(valuesPerSecond, TimeDecimals(1.0 / valuesPerSecond), 30,
                       {separators.decimal, ""});
  text += " Werte/s)";
  return text;
}

} // namespace dynlog
