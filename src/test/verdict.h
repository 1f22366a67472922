#pragma once
// The limits of a test's maximum and the verdict on it. Both limits are optional; a maximum on a
// limit passes. The comparison is made at the unit's decimal places, on the figures the files and
// the screen show: a maximum shown as 900,0 is not over a limit of 900,0, whatever binary noise
// the stored number carries, and a limit given with more decimals than the unit has is rounded
// to them as the unit's own figures are.
#include "base/numberformat.h"
#include "test/forceunit.h"

#include <optional>
#include <string>
#include <string_view>

namespace dynlog {

struct ForceLimits {
  std::optional<double> lower, upper;
  bool Any() const { return lower || upper; }
  bool operator==(const ForceLimits&) const = default;
};

// "LOW:HIGH" as the command line gives it, either side empty (":900", "10,5:"), decimals after a
// point or a comma, a sign allowed. Nothing for anything else, for ":" alone and for a lower limit
// above the upper one.
std::optional<ForceLimits> LimitsFromText(std::string_view text);
// One limit as a person types it ("900", "-1,5", "2.25"); nothing for any other text.
std::optional<double> LimitFromText(std::string_view text);
// A figure as a person would type it, for a field to show: its shortest digits, a comma before
// the decimals; empty for none. LimitFromText reads it back.
std::string FigureAsTyped(const std::optional<double>& figure);

enum class VerdictOutcome { None, Pass, FailHigh, FailLow };

struct Verdict {
  VerdictOutcome outcome = VerdictOutcome::None; // None: no limits, or no values
  double maximum = 0;                            // the figure judged
  double limit = 0;                              // the limit it broke
  bool Failed() const {
    return outcome == VerdictOutcome::FailHigh || outcome == VerdictOutcome::FailLow;
  }
};

// The verdict on a test whose maximum is `maximum` (none: no values).
Verdict JudgeMaximum(std::optional<float> maximum, const ForceLimits& limits, int decimalPlaces);

// "i.O.", "n.i.O.", or empty without a verdict.
std::string_view VerdictText(const Verdict& verdict);
// Why a test failed: "Maximum 940,3 N über 900,0 N", "Maximum 12,0 N unter 50,0 N"; empty
// otherwise. The figures at the unit's decimal places with the separators given.
std::string VerdictReason(const Verdict& verdict, int decimalPlaces, ForceUnit unit,
                          const NumberSeparators& separators);
// Standard output's line: "Urteil: i.O.", "Urteil: n.i.O. (Maximum 940,3 N über 900,0 N)"; empty
// without a verdict.
std::string VerdictLine(const Verdict& verdict, int decimalPlaces, ForceUnit unit,
                        const NumberSeparators& separators);

// What the window shows of the limits before a verdict: "Maximum 10,0 N bis 900,0 N",
// "Maximum höchstens 900,0 N", "Maximum mindestens 10,0 N"; empty without limits.
// A limit typed with more decimals than the unit has keeps them.
std::string LimitsText(const ForceLimits& limits, int decimalPlaces, ForceUnit unit,
                       const NumberSeparators& separators);

} // namespace dynlog
