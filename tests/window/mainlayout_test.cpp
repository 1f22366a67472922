// The value display at the first size and in larger windows.
#include "window/mainlayout.h"

#include <gtest/gtest.h>

namespace dynlog {
namespace {

TEST(MainLayout, TheDigitsGrowWithTheSmallerRatioAndTheChartBeginsBelowThem) {
  const WindowSize first{442, 313};
  const struct {
    WindowSize client;
    int right, height, fontHeight, chartTop;
  } cases[] = {
      {first, 433, 56, 48, 96},            // as it always was
      {{884, 313}, 875, 56, 48, 96},       // only wider: beside the edge, no larger
      {{884, 626}, 875, 112, 96, 152},     // twice the size
      {{1768, 1565}, 1759, 224, 192, 264}, // four times at most
      {{400, 300}, 433, 56, 48, 96},       // held smaller: never shrinks
  };
  for (const auto& c : cases) {
    const ValueDisplayPlace p = PlaceValueDisplay(c.client, first);
    EXPECT_EQ(p.right, c.right) << c.client.width;
    EXPECT_EQ(p.height, c.height) << c.client.width;
    EXPECT_EQ(p.fontHeight, c.fontHeight) << c.client.width;
    EXPECT_EQ(p.chartTop, c.chartTop) << c.client.width;
    EXPECT_EQ(p.captionTop, p.chartTop - 16);
    // The verdict's row below the digits, as high as they grow, and the chart below it.
    const ValueDisplayPlace v = PlaceValueDisplay(c.client, first, true);
    EXPECT_EQ(v.verdictTop, p.top + p.height + 4);
    EXPECT_EQ(v.chartTop - p.chartTop, v.verdictHeight + 4);
    EXPECT_EQ(v.verdictHeight * 56, kVerdictRowHeight * p.height) << c.client.width;
    // The held peak's row between the digits and the verdict, growing as they do.
    const ValueDisplayPlace k = PlaceValueDisplay(c.client, first, true, true);
    EXPECT_EQ(k.verdictTop - v.verdictTop, k.peakHeight + 2);
    EXPECT_EQ(k.peakHeight * 56, kPeakRowHeight * p.height) << c.client.width;
  }
}

} // namespace
} // namespace dynlog
