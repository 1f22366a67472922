// Zero: the mean of the last half second, taken off every later value in the unit's counts.
#include "test/zero.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace dynlog {
namespace {

TEST(ZeroOffset, TheMeanOfTheLastHalfSecondRoundedOnceAtTheUnitsDecimals) {
  const struct {
    std::initializer_list<double> frames;
    int decimals;
    double offset;
    double figure, zeroed;
  } cases[] = {
      {{12.34, 12.36}, 2, 12.35, 12.35, 0},
      {{0.12, 0.13}, 2, 0.13, 1.01, 0.88},      // 0.125: half away from zero
      {{-0.12, -0.13}, 2, -0.13, -1.01, -0.88}, // and so below zero
      {{100.0, 2.0, 2.4}, 1, 2.2, 0.1, -2.1},   // only the last 2 of 4 frames a second
      {{940.3}, 1, 940.3, 940.4, 0.1},
  };
  for (const auto& c : cases) {
    ZeroOffset zero(4);
    for (const double f : c.frames)
      zero.TakeFrame(f, false);
    ASSERT_FALSE(zero.Set(c.decimals, false)) << c.offset;
    EXPECT_DOUBLE_EQ(zero.Offset(), c.offset);
    EXPECT_DOUBLE_EQ(zero.Apply(c.figure), c.zeroed) << "exact at the unit's decimals";
  }
}

TEST(ZeroOffset, RefusedWhileOverloadedRecordingOrWithoutFrames) {
  ZeroOffset zero(4);
  EXPECT_TRUE(zero.Set(1, false)) << "no frames yet";
  zero.TakeFrame(5, true);
  zero.TakeFrame(5, false);
  EXPECT_TRUE(zero.Set(1, false)) << "an overload within the half second";
  zero.TakeFrame(5, false);
  EXPECT_FALSE(zero.Set(1, false)) << "the overload has left the half second";
  EXPECT_TRUE(zero.IsSet());
  zero.TakeFrame(7, false);
  EXPECT_TRUE(zero.Set(1, true)) << "a recording runs";
  EXPECT_DOUBLE_EQ(zero.Offset(), 5) << "a refusal keeps the zero there was";
  zero.Clear();
  EXPECT_DOUBLE_EQ(zero.Apply(7), 7);
}

} // namespace
} // namespace dynlog
