#include "chart/wholetest.h"

#include <gtest/gtest.h>

#include <vector>

namespace dynlog {
namespace {

const NumberSeparators de = GermanSeparators();

TEST(WholeTestTest, ASingleValueSpikeSurvivesTheFitAnywhere) {
  std::vector<float> values(10000, 1.0f);
  for (const std::size_t at : {0u, 1u, 4999u, 7777u, 9999u}) {
    values[at] = 500.0f;
    const auto columns = FitColumns(values, 380);
    ASSERT_EQ(columns.size(), 380u);
    int spikes = 0;
    for (const ChartColumn& c : columns)
      spikes += c.max == 500.0f;
    EXPECT_EQ(spikes, 1) << at;
    values[at] = -500.0f;
    float lowest = 0;
    for (const ChartColumn& c : FitColumns(values, 380))
      lowest = std::min(lowest, c.min);
    EXPECT_EQ(lowest, -500.0f) << at;
    values[at] = 1.0f;
  }
  // Fewer values than columns spread over the whole width.
  const std::vector<float> three{1, 2, 3};
  const auto sparse = FitColumns(three, 10);
  ASSERT_EQ(sparse.size(), 3u);
  EXPECT_EQ(sparse[1].column, 5);
  EXPECT_EQ(sparse[2].column, 9);
  // Values by their times: a gap of 10 s after the first 100 keeps its width, and the view's
  // columns name the values on either side of it.
  const auto gapAt100 = [](std::uint64_t i) { return i / 10.0 + (i >= 100 ? 10 : 0); };
  const std::vector<float> flat(100 + 100, 1.0f);
  const auto gapped = FitColumns(std::span(flat).subspan(50), 300, 50, gapAt100);
  const auto jump = std::adjacent_find(gapped.begin(), gapped.end(),
                                       [](auto& a, auto& b) { return b.column - a.column > 10; });
  ASSERT_NE(jump, gapped.end());
  EXPECT_EQ(jump->column, 59);             // 9,9 s of 5 .. 29,9 s
  EXPECT_EQ(std::next(jump)->column, 180); // 20 s
  WholeTestView gappedView;
  gappedView.ShowAll(200);
  EXPECT_EQ(gappedView.ValueAt(100, 300, gapAt100), 99u);
  EXPECT_EQ(gappedView.ValueAt(200, 300, gapAt100), 100u);

  WholeTestView view;
  view.ShowAll(10000);
  EXPECT_FALSE(view.ZoomToColumns(5, 5, 401));
  ASSERT_TRUE(view.ZoomToColumns(300, 100, 401));
  EXPECT_EQ(view.From(), 2500u);
  EXPECT_EQ(view.To(), 7500u);
  EXPECT_TRUE(view.Zoomed(10000));
  EXPECT_EQ(view.ValueAt(400, 401), 7499u);
}

} // namespace
} // namespace dynlog
