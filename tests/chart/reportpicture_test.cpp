// The chart picture as GDI paints it: the trace's pixels lie where the values say, the limit's
// line on its row, the time scale's ticks where their seconds are.
#include "chart/savedchartpicture.h"
#include "chart/tracecanvas.h"

#include "support/savedtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace dynlog {
namespace {

// The box around every pixel of the colour in the picture's rows [top, bottom).
PixelBox PixelsOf(const base::MemoryBitmap& picture, COLORREF colour, int top, int bottom) {
  const auto* pixels = static_cast<const std::uint32_t*>(picture.pixels());
  PixelBox found{picture.width(), bottom, 0, top};
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (pixels[y * picture.width() + x] ==
          (colour >> 16 | (colour & 0xFF00) | (colour & 0xFF) << 16))
        found = {std::min(found.left, x), std::min(found.top, y), std::max(found.right, x + 1),
                 std::max(found.bottom, y + 1)};
  return found;
}

TEST(ReportPicture, TheTraceLiesWhereTheValuesSay) {
  for (const int spikeAt : {0, 120, 299}) {
    CsvHead head;
    head.test.limits.upper = 900.0;
    const OpenedTest test = testsupport::SavedTest(300, spikeAt, 1000, head);
    const base::MemoryBitmap picture = RenderTestPicture(test, GermanSeparators());
    const TestChartLayout chart =
        LayOutTestChart(test.values, head.test.limits, kPictureWidth, kPictureHeight, kPictureDpi);
    const ChartAxes& a = chart.axes;
    const int pen = chart.Px(TraceCanvas::kPenWidth) / 2 + 1, left = a.shape2Left + 2;
    // The spike reaches the scale's top at its time; the lowest value lies on the time axis.
    const PixelBox trace = PixelsOf(picture, kTestTraceColour, 0, kPictureHeight);
    EXPECT_NEAR(trace.top, a.shape1Top - 1, pen) << spikeAt;
    EXPECT_NEAR(PixelsOf(picture, kTestTraceColour, 0, trace.top + 1).left,
                left + spikeAt * (a.shape2Width - 1) / 299.0, pen)
        << spikeAt;
    EXPECT_NEAR(trace.bottom - 1, a.shape2Top - 1, pen) << spikeAt;
    EXPECT_NEAR(trace.right - trace.left, a.shape2Width, 2 * pen) << "from the first to the last";
    // The upper limit's line across the chart, on the row of 900.
    const int row = ChartRow(a, chart.low, chart.high, 900);
    EXPECT_EQ(PixelsOf(picture, kLimitColour, row - pen, row + pen + 1).bottom - 1, row) << spikeAt;
  }
}

// A test kept with a pre-trigger begins at -0,5 s: the chart of a saved test (the picture, the
// report page's) still marks seconds below its time axis, one at 0 s, and names the axis.
TEST(ReportPicture, APreTriggerTestGetsASecondsScale) {
  const OpenedTest test = testsupport::SavedTest(300, 0, 0, {}, -0.5);
  const base::MemoryBitmap picture = RenderTestPicture(test, GermanSeparators());
  const TestChartLayout chart =
      LayOutTestChart(test.values, {}, kPictureWidth, kPictureHeight, kPictureDpi);
  const int row = chart.axes.shape2Top + 3, width = chart.axes.shape2Width;
  const auto* marks = static_cast<const std::uint32_t*>(picture.pixels()) + row * kPictureWidth +
                      chart.axes.shape2Left + 2;
  EXPECT_GE(std::count(marks, marks + width, 0u), 3) << "ticks below the axis";
  EXPECT_EQ(marks[std::lround(0.5 / 2.99 * (width - 1))], 0u) << "0 s";
  const int title = row + chart.frame.timeScaleHeight;
  EXPECT_LT(PixelsOf(picture, 0, title, title + chart.Px(16)).left, kPictureWidth) << "t in s";
}

} // namespace
} // namespace dynlog
