#include "test/verdict.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace dynlog {
namespace {

const NumberSeparators kPlain{".", ""};

// The figure as the files write it, read back: two figures at the same decimals compare as their
// texts do.
double Shown(double value, int decimalPlaces) {
  return std::strtod(ForceFigure(value, decimalPlaces, kPlain).c_str(), nullptr);
}

} // namespace

std::string FigureAsTyped(const std::optional<double>& figure) {
  if (!figure)
    return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", *figure);
  std::string field = text;
  std::replace(field.begin(), field.end(), '.', ',');
  return field;
}

std::optional<double> LimitFromText(std::string_view text) {
  std::string normal;
  std::size_t digits = 0;
  bool separator = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      normal += c;
    } else if ((c == '-' || c == '+') && i == 0) {
      normal += c;
    } else if ((c == '.' || c == ',') && !separator && digits > 0) {
      separator = true;
      normal += '.';
    } else {
      return std::nullopt;
    }
  }
  // strtod alone would also take "1e3", "inf" and "0x10".
  if (digits == 0 || digits > 12 || normal.back() == '.')
    return std::nullopt;
  return std::strtod(normal.c_str(), nullptr);
}

std::optional<ForceLimits> LimitsFromText(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos)
    return std::nullopt;
  ForceLimits limits;
  for (const auto& [part, limit] : {std::pair{text.substr(0, colon), &limits.lower},
                                    std::pair{text.substr(colon + 1), &limits.upper}}) {
    if (part.empty())
      continue;
    *limit = LimitFromText(part);
    if (!*limit)
      return std::nullopt;
  }
  if (!limits.Any() || (limits.lower && limits.upper && *limits.lower > *limits.upper))
    return std::nullopt;
  return limits;
}

Verdict JudgeMaximum(std::optional<float> maximum, const ForceLimits& limits, int decimalPlaces) {
  if (!maximum || !limits.Any())
    return {};
  // The float's own shortest text, so that a recorded 900.05f is judged as the file shows it.
  const double shown = std::strtod(
      FormatNumber(*maximum, decimalPlaces, kFileSignificantDigits, kPlain).c_str(), nullptr);
  if (limits.upper && shown > Shown(*limits.upper, decimalPlaces))
    return {VerdictOutcome::FailHigh, shown, *limits.upper};
  if (limits.lower && shown < Shown(*limits.lower, decimalPlaces))
    return {VerdictOutcome::FailLow, shown, *limits.lower};
  return {VerdictOutcome::Pass, shown, 0};
}

std::string_view VerdictText(const Verdict& verdict) {
  if (verdict.outcome == VerdictOutcome::None)
    return {};
  return verdict.Failed() ? "n.i.O." : "i.O.";
}

std::string VerdictReason(const Verdict& verdict, int decimalPlaces, ForceUnit unit,
                          const NumberSeparators& separators) {
  if (!verdict.Failed())
    return {};
  return "Maximum " + WithUnit(ForceFigure(verdict.maximum, decimalPlaces, separators), unit) +
         (verdict.outcome == VerdictOutcome::FailHigh ? " über " : " unter ") +
         WithUnit(ForceFigure(verdict.limit, decimalPlaces, separators), unit);
}

std::string LimitsText(const ForceLimits& limits, int decimalPlaces, ForceUnit unit,
                       const NumberSeparators& separators) {
  // At least the unit's decimals, and as many more as the limit was typed with while the figure's
  // digits allow: before the first Start the unit's are not known, and 1000,5 is not 1.001.
  const auto figure = [&](double limit) {
    int decimals = decimalPlaces;
    while (decimals < 6 && Shown(limit, decimals) != limit &&
           Shown(limit, decimals + 1) != Shown(limit, decimals))
      ++decimals;
    return WithUnit(ForceFigure(limit, decimals, separators), unit);
  };
  if (limits.lower && limits.upper)
    return "Maximum " + figure(*limits.lower) + " bis " + figure(*limits.upper);
  if (limits.upper)
    return "Maximum höchstens " + figure(*limits.upper);
  if (limits.lower)
    return "Maximum mindestens " + figure(*limits.lower);
  return {};
}

std::string VerdictLine(const Verdict& verdict, int decimalPlaces, ForceUnit unit,
                        const NumberSeparators& separators) {
  if (verdict.outcome == VerdictOutcome::None)
    return {};
  std::string line = "Urteil: " + std::string(VerdictText(verdict));
  if (verdict.Failed())
    line += " (" + VerdictReason(verdict, decimalPlaces, unit, separators) + ")";
  return line;
}

} // namespace dynlog
