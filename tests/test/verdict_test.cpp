// The verdict on a test's maximum, judged at the unit's decimals on and around each limit.
#include "files/reader.h"
#include "files/recordinghead.h"
#include "files/seriestable.h"
#include "test/recording.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

namespace dynlog {
namespace {

TEST(Verdict, JudgesTheMaximumAtTheUnitsDecimalsOnAndAroundEachLimit) {
  const ForceLimits both{10, 900}, upper{std::nullopt, 900}, fine{std::nullopt, 900.04};
  const struct {
    float maximum;
    ForceLimits limits;
    int decimals;
    VerdictOutcome outcome;
  } cases[] = {
      {900.0f, both, 1, VerdictOutcome::Pass},      // on the upper limit
      {899.9f, both, 1, VerdictOutcome::Pass},      // just under it
      {900.1f, both, 1, VerdictOutcome::FailHigh},  // just over it
      {900.04f, both, 1, VerdictOutcome::Pass},     // shown as 900,0
      {900.05f, both, 1, VerdictOutcome::FailHigh}, // shown as 900,1, whatever the float holds
      {10.0f, both, 1, VerdictOutcome::Pass},       // on the lower limit
      {10.1f, both, 1, VerdictOutcome::Pass},
      {9.9f, both, 1, VerdictOutcome::FailLow},
      {-5.0f, upper, 1, VerdictOutcome::Pass}, // no lower limit
      {900.0f, fine, 1, VerdictOutcome::Pass}, // the limit too is taken at the unit's decimals
      {900.4f, upper, 0, VerdictOutcome::Pass},
      {900.5f, upper, 0, VerdictOutcome::FailHigh},
      {0.901f, {std::nullopt, 0.9}, 3, VerdictOutcome::FailHigh},
      {900.0f, {}, 1, VerdictOutcome::None}, // no limits, no verdict
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeMaximum(c.maximum, c.limits, c.decimals).outcome, c.outcome)
        << c.maximum << " at " << c.decimals;
  EXPECT_EQ(JudgeMaximum(std::nullopt, both, 1).outcome, VerdictOutcome::None) << "no values";

  const NumberSeparators plain{",", ""};
  const Verdict high = JudgeMaximum(940.26f, upper, 1);
  EXPECT_EQ(VerdictLine(high, 1, ForceUnit::N, plain), "Urteil: n.i.O. (Maximum 940,3 N \xC3\xBC"
                                                       "ber 900,0 N)");
  EXPECT_EQ(VerdictReason(JudgeMaximum(9.0f, both, 1), 1, ForceUnit::None, plain),
            "Maximum 9,0 unter 10,0");
  EXPECT_EQ(VerdictLine(JudgeMaximum(20.0f, both, 0), 0, ForceUnit::kg, plain), "Urteil: i.O.");

  // The command line's limits: either side may be empty, never both, and never crossed.
  EXPECT_EQ(LimitsFromText(":900"), upper);
  EXPECT_EQ(LimitsFromText("-1,5:2.25"), (ForceLimits{-1.5, 2.25}));
  EXPECT_EQ(LimitsFromText("10:"), (ForceLimits{10, std::nullopt}));
  for (const char* bad : {":", "900", "10:5", "1e3:", "a:b", ":9.", "::5", ":-"})
    EXPECT_FALSE(LimitsFromText(bad)) << bad;
  // A field shows a figure as it was typed, and reads it back unchanged.
  for (const double figure : {900.0, -1.5, 0.1, 123456.789})
    EXPECT_EQ(LimitFromText(FigureAsTyped(figure)), figure) << FigureAsTyped(figure);
  EXPECT_EQ(FigureAsTyped(-1.5), "-1,5");
  for (const auto& [limits, text] : {std::pair{both, "Maximum 10,0 N bis 900,0 N"},
                                     {upper, "Maximum h\xC3\xB6"
                                             "chstens 900,0 N"},
                                     {ForceLimits{10, std::nullopt}, "Maximum mindestens 10,0 N"},
                                     {ForceLimits{}, ""}})
    EXPECT_EQ(LimitsText(limits, 1, ForceUnit::N, plain), text);
  EXPECT_EQ(ForceUnitFromText("lbf"), ForceUnit::lbf);
  EXPECT_FALSE(ForceUnitFromText("G")) << "gram and the unit G are not the same";
}

} // namespace
} // namespace dynlog
