#include "chart/forcechart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace dynlog {
namespace {

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(88.5), 88);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999999), 2);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(-2.7), -3);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_GT(RoundHalfEven(1e300), 0);
}

TEST(ForceChartTest, FirstValueIsPlacedWithoutALineAndTheSecondDrawsTheFirstSegment) {
  ForceChart chart;
  ChartDrawing first = chart.ShowValue(0.0);
  EXPECT_EQ(chart.ChartIndex(), 1);
  EXPECT_FALSE(first.trace);
  // x = 18 + 2 + round(1 * 393 / 600 = 0.655); y = 80 + 177 - 1 - round(0.5 * 177 = 88.5 -> 88)
  EXPECT_EQ(chart.ChartPoints()[1], (ChartPoint{21, 168}));

  ChartDrawing second = chart.ShowValue(1.0);
  ASSERT_TRUE(second.trace);
  EXPECT_EQ(*second.trace, (ChartSegment{{21, 168}, {21, 79}}));
}

TEST(ForceChartTest, XFollowsTheIndexAndTheSweepWrapsFrom600To0WithoutALine) {
  ForceChart chart;
  for (int i = 0; i < 600; ++i)
    chart.ShowValue(0.5);
  ASSERT_EQ(chart.ChartIndex(), 600);
  const auto& p = chart.ChartPoints();
  EXPECT_EQ(p[100].x, 20 + 66);      // 65.5 -> 66
  EXPECT_EQ(p[300].x, 20 + 196);     // 196.5 -> 196
  EXPECT_EQ(p[600].x, 18 + 2 + 393); // the right end
  ChartDrawing wrap = chart.ShowValue(0.5);
  EXPECT_EQ(chart.ChartIndex(), 0);
  EXPECT_FALSE(wrap.trace);
  EXPECT_EQ(chart.ChartPoints()[0].x, 20);
  EXPECT_FALSE(chart.ShowValue(0.5).trace); // 0 -> 1 is not drawn either
  ChartDrawing third = chart.ShowValue(0.5);
  ASSERT_TRUE(third.trace);
  EXPECT_EQ(third.trace->from, chart.ChartPoints()[1]);
  EXPECT_EQ(third.trace->to, chart.ChartPoints()[2]);
}

TEST(ForceChartTest, WipeRuns20PositionsAheadAndSkipsTheUndrawnSegments) {
  ForceChart chart;
  // First sweep, each point at its own height so the wiped segment can be recognised.
  for (int i = 1; i <= 600; ++i)
    chart.ShowValue(i % 2 ? -1.0 : 1.0);
  // Second sweep: at new index i the wipe takes segment d..d+1 with d = i + 20, wrapped past 600.
  for (int step = 0; step <= 600; ++step) {
    const auto old = chart.ChartPoints();
    const ChartDrawing dr = chart.ShowValue(0.0);
    const int i = chart.ChartIndex();
    int d = i + 20;
    if (d > 600)
      d -= 601;
    if (d >= 1 && d <= 599) {
      ASSERT_TRUE(dr.wipe) << i;
      EXPECT_EQ(*dr.wipe, (ChartSegment{old[d], old[d + 1]})) << i;
    } else {
      EXPECT_FALSE(dr.wipe) << i; // d = 600 (at 580) and d = 0 (at 581)
      EXPECT_TRUE(i == 580 || i == 581) << i;
    }
  }
}

TEST(ForceChartTest, RangeWidensBeforeThePointIsPlacedAndNeverShrinks) {
  ForceChart chart;
  chart.ShowValue(5.0);
  EXPECT_EQ(chart.RangeMax(), 5.0);
  EXPECT_EQ(chart.ChartPoints()[1].y, 80 - 1); // RangeMax: one pixel above the axis top
  chart.ShowValue(-3.0);
  EXPECT_EQ(chart.RangeMin(), -3.0);
  EXPECT_EQ(chart.ChartPoints()[2].y, 80 + 177 - 1); // RangeMin: the axis's bottom row
  chart.ShowValue(1.0);                              // (1 + 3) / 8 * 177 = 88.5 -> 88
  EXPECT_EQ(chart.ChartPoints()[3].y, 80 + 177 - 1 - 88);
  chart.ShowValue(0.0);
  EXPECT_EQ(chart.RangeMin(), -3.0);
  EXPECT_EQ(chart.RangeMax(), 5.0);
  // An older point keeps the scale it was drawn with.
  EXPECT_EQ(chart.ChartPoints()[1].y, 79);
  // A limit beyond the range widens it, and every held point takes the new scale.
  EXPECT_FALSE(chart.Include(4.0));
  EXPECT_TRUE(chart.Include(13.0));
  EXPECT_EQ(chart.ChartPoints()[1].y, 80 + 177 - 1 - 88); // 5 lies half-way from -3 to 13
}

TEST(ForceChartTest, ResizeFitsTheAxesToTheClientAreaWithRoomForScalesAndText) {
  ForceChart chart;
  chart.FitToClient(442, 311);
  EXPECT_EQ(chart.Axes(), (ChartAxes{52, 96, 165, 52, 261, 376}));
  chart.FitToClient(10, 10);
  EXPECT_EQ(chart.Axes(), (ChartAxes{52, 96, 20, 52, 116, 20}));
}

TEST(ForceChartTest, AfterAResizeEveryHeldPointLiesOnTheNewAxes) {
  ForceChart chart;
  for (int i = 0; i < 700; ++i)
    chart.ShowValue(i % 50 - 20.0);
  for (const auto& [w, h] : {std::pair{1200, 900}, {450, 302}, {300, 200}}) {
    chart.FitToClient(w, h);
    const ChartAxes& a = chart.Axes();
    for (const ChartPoint& p : chart.ChartPoints()) {
      ASSERT_GE(p.y, a.shape1Top - 1) << w;
      ASSERT_LT(p.y, a.shape2Top) << w;
      ASSERT_LE(p.x, a.shape2Left + 2 + a.shape2Width) << w;
    }
    // The 700th value went to position 99; the 21 segments after it were wiped.
    const auto held = chart.HeldSegments();
    EXPECT_EQ(held.size(), 599u - 21u);
    EXPECT_EQ(held.front().to, chart.ChartPoints()[2]);
  }
}

} // namespace
} // namespace dynlog
