// The chart picture and the report page as GDI paints them: the trace's pixels lie where the
// values say, the limit's line on its row, and on the page the chart stays in its box.
#include "window/reportpage.h"
#include "window/testpicture.h"

#include "support/savedtest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dynlog {
namespace {

// The box around every pixel of the colour, inside `within`.
PixelBox PixelsOf(const base::MemoryBitmap& picture, COLORREF colour, PixelBox within) {
  const auto* pixels = static_cast<const std::uint32_t*>(picture.pixels());
  const std::uint32_t want = RgbPixel(GetRValue(colour), GetGValue(colour), GetBValue(colour));
  PixelBox found{within.right, within.bottom, within.left, within.top};
  for (int y = within.top; y < within.bottom; ++y)
    for (int x = within.left; x < within.right; ++x)
      if ((pixels[y * picture.width() + x] & 0xFFFFFF) == want)
        found = {std::min(found.left, x), std::min(found.top, y), std::max(found.right, x + 1),
                 std::max(found.bottom, y + 1)};
  return found;
}

TEST(ReportPicture, TheTraceLiesWhereTheValuesSay) {
  const NumberSeparators de = GermanSeparators();
  for (const std::size_t spikeAt : {std::size_t{0}, std::size_t{120}, std::size_t{299}}) {
    CsvHead head;
    head.test.limits.upper = 900.0;
    const OpenedTest test =
        testsupport::SavedTest(testsupport::LoadWithSpike(300, spikeAt, 1000), head);
    const base::MemoryBitmap picture = RenderTestPicture(test, de);
    const TestChartLayout chart =
        LayOutTestChart(test.values, head.test.limits, kPictureWidth, kPictureHeight, kPictureDpi);
    const ChartAxes& a = chart.axes;
    const int pen = chart.Px(TraceCanvas::kPenWidth) / 2 + 1;
    const int spikeX = a.shape2Left + 2 + RoundHalfEven(spikeAt * (a.shape2Width - 1) / 299.0);
    // The spike reaches the scale's top at its time; the lowest value lies on the time axis.
    const PixelBox trace =
        PixelsOf(picture, kTestTraceColour, {0, 0, kPictureWidth, kPictureHeight});
    EXPECT_NEAR(trace.top, a.shape1Top - 1, pen) << spikeAt;
    EXPECT_NEAR(PixelsOf(picture, kTestTraceColour, {0, 0, kPictureWidth, trace.top + 1}).left,
                spikeX, pen)
        << spikeAt;
    EXPECT_NEAR(trace.bottom - 1, a.shape2Top - 1, pen) << spikeAt;
    EXPECT_NEAR(trace.left, a.shape2Left + 2, pen);
    EXPECT_NEAR(trace.right - 1, a.shape2Left + 2 + a.shape2Width - 1, pen);
    // The upper limit's line across the chart, on the row of 900.
    const PixelBox limit =
        PixelsOf(picture, kLimitColour, {a.shape2Left + 2, 0, a.shape2Left + 40, kPictureHeight});
    EXPECT_EQ(limit.top, ChartRow(a, chart.low, chart.high, 900)) << spikeAt;
  }
}

TEST(ReportPicture, ThePageHoldsTheChartInItsBox) {
  const OpenedTest test = testsupport::SavedTest(testsupport::LoadWithSpike(300, 10, 800), {});
  const base::MemoryBitmap page = RenderReportPage(test, "m.csv", GermanSeparators());
  ASSERT_EQ(page.width(), 1240);
  ASSERT_EQ(page.height(), 1754);
  const ReportPageLayout layout = LayOutReportPage(
      MakeReportText(test, "m.csv", GermanSeparators()), kReportWidth, kReportHeight, kReportDpi);
  const PixelBox trace = PixelsOf(page, kTestTraceColour, {0, 0, kReportWidth, kReportHeight});
  EXPECT_FALSE(trace.Empty());
  EXPECT_EQ(trace.Joined(layout.chart), layout.chart) << "no trace outside the chart's box";
}

} // namespace
} // namespace dynlog
