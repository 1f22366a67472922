#include "chart/chartscale.h"

#include <gtest/gtest.h>

#include <vector>

namespace dynlog {
namespace {

const NumberSeparators de = GermanSeparators();

TEST(ChartScaleTest, TicksAtRoundStepsOfTheRange) {
  struct Case {
    double low, high;
    int maxTicks, decimals;
    double first, step;
    int count;
  };
  for (const Case& c : std::vector<Case>{
           {-1, 1, 6, 1, -1, 0.5, 5},
           {0, 1202, 6, 0, 0, 500, 3},
           {-12.5, 1234.5, 8, 1, 0, 200, 7},
           {0, 0.004, 6, 0, 0, 1, 1}, // never finer than the unit's last place
           {5, 5, 6, 0, 0, 1, 0},
       }) {
    const AxisTicks t = RoundTicks(c.low, c.high, c.maxTicks, c.decimals);
    EXPECT_DOUBLE_EQ(t.first, c.first) << c.high;
    EXPECT_DOUBLE_EQ(t.step, c.step) << c.high;
    EXPECT_EQ(t.count, c.count) << c.high;
  }
  EXPECT_EQ(SweepCaption(320, de), "1,875 s je Durchlauf (320 Werte/s)");
  EXPECT_EQ(SweepCaption(160, de), "3,75 s je Durchlauf (160 Werte/s)");
  EXPECT_EQ(SweepCaption(10, de), "60 s je Durchlauf (10 Werte/s)");
  EXPECT_EQ(SweepCaption(2.5, de), "240 s je Durchlauf (2,5 Werte/s)");
}

// A pre-trigger's test starts before 0 s: its scale runs from its first time, 0 s among the ticks.
TEST(ChartScaleTest, SecondsScaleFromANegativeFirstTime) {
  EXPECT_EQ(TimeTicks(-0.5, 0.5, 101, 3, de),
            (std::vector<TimeTick>{{0, "-0,5 s"}, {50, "0,0 s"}, {100, "0,5 s"}}));
}

} // namespace
} // namespace dynlog
