#include "chart/tracecanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using dynlog::ChartSegment;
using dynlog::PixelBox;
using dynlog::TraceCanvas;

constexpr std::uint32_t kPaper = dynlog::RgbPixel(240, 240, 240);
constexpr std::uint32_t kInk = dynlog::RgbPixel(0, 0, 255);

struct Canvas {
  Canvas(int w, int h) : pixels(static_cast<size_t>(w) * h, kPaper) {
    canvas.Attach(pixels.data(), w, h);
  }
  std::vector<std::uint32_t> pixels;
  TraceCanvas canvas;

  std::vector<std::pair<int, int>> Inked() const {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < canvas.Height(); ++y)
      for (int x = 0; x < canvas.Width(); ++x)
        if (canvas.At(x, y) == kInk)
          out.emplace_back(x, y);
    return out;
  }
};

PixelBox BoxAround(const std::vector<std::pair<int, int>>& points) {
  PixelBox b{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
  for (auto [x, y] : points)
    b = {std::min(b.left, x), std::min(b.top, y), std::max(b.right, x + 1),
         std::max(b.bottom, y + 1)};
  return points.empty() ? PixelBox{} : b;
}

// On a 60 x 40 canvas, segments of every direction, inside, across the edges and far outside.
// clang-format off
const ChartSegment kSegments[] = {
    {{10, 20}, {50, 20}},  {{50, 20}, {10, 20}},  {{30, 5}, {30, 35}},   {{30, 35}, {30, 5}},
    {{10, 10}, {30, 30}},  {{30, 10}, {10, 30}},  {{5, 30}, {55, 12}},   {{55, 12}, {5, 30}},
    {{20, 2}, {27, 38}},   {{27, 38}, {20, 2}},   {{7, 7}, {7, 7}},      {{0, 0}, {59, 39}},
    {{-20, 10}, {20, 15}}, {{40, -15}, {45, 25}}, {{50, 30}, {90, 35}},  {{10, 30}, {14, 70}},
    {{-5, -5}, {-1, -1}},  {{61, 0}, {80, 39}},
    {{-1000000000, 20}, {1000000000, 21}},  {{25, -1000000000}, {26, 1000000000}},
    {{-1000000000, -1000000000}, {-5, 3}},
};
// clang-format on

TEST(TraceCanvas, SegmentsAreTwoPixelsWideBothEndsIncludedAndCutAtTheEdges) {
  // Drawn on a canvas with a wide margin all round and cut out, a segment must give exactly the
  // pixels it gives when the canvas itself cuts it; the margin shows what was cut away.
  constexpr int kW = 60, kH = 40, kMargin = 100;
  for (const ChartSegment& s : kSegments) {
    SCOPED_TRACE(testing::Message()
                 << "(" << s.from.x << "," << s.from.y << ")-(" << s.to.x << "," << s.to.y << ")");
    Canvas small(kW, kH);
    small.canvas.DrawSegment(s, kInk);
    const auto inked = small.Inked();
    EXPECT_EQ(small.canvas.TakeDrawn(), BoxAround(inked));
    EXPECT_TRUE(small.canvas.TakeDrawn().Empty()) << "taken once";

    const bool far = std::abs(s.from.x) > kMargin || std::abs(s.from.y) > kMargin;
    if (far) {
      // A line across the whole canvas crosses it in one piece of whole rows or columns.
      if (s.from.x < 0 && s.to.x > kW)
        EXPECT_EQ(inked.size(), 2u * kW);
      else if (s.from.y < 0 && s.to.y > kH)
        EXPECT_EQ(inked.size(), 2u * kH);
      else
        EXPECT_TRUE(inked.empty());
      continue;
    }
    Canvas big(kW + 2 * kMargin, kH + 2 * kMargin);
    big.canvas.DrawSegment(
        {{s.from.x + kMargin, s.from.y + kMargin}, {s.to.x + kMargin, s.to.y + kMargin}}, kInk);
    std::vector<std::pair<int, int>> cut, all;
    for (auto [x, y] : big.Inked()) {
      all.emplace_back(x - kMargin, y - kMargin);
      if (x >= kMargin && x < kMargin + kW && y >= kMargin && y < kMargin + kH)
        cut.emplace_back(x - kMargin, y - kMargin);
    }
    EXPECT_EQ(inked, cut);

    // The whole line: both ends, and two neighbouring pixels at every step along it, each
    // within half a pixel of the exact line.
    const bool flat = std::abs(s.to.x - s.from.x) >= std::abs(s.to.y - s.from.y);
    const int steps = flat ? std::abs(s.to.x - s.from.x) : std::abs(s.to.y - s.from.y);
    EXPECT_EQ(all.size(), 2u * (steps + 1));
    EXPECT_NE(std::find(all.begin(), all.end(), std::pair{s.from.x, s.from.y}), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), std::pair{s.to.x, s.to.y}), all.end());
    for (auto [x, y] : all) {
      const double a = flat ? x : y, b = flat ? y : x;
      const double a0 = flat ? s.from.x : s.from.y, a1 = flat ? s.to.x : s.to.y;
      const double b0 = flat ? s.from.y : s.from.x, b1 = flat ? s.to.y : s.to.x;
      const double exact = a1 == a0 ? b0 : b0 + (b1 - b0) * (a - a0) / (a1 - a0);
      EXPECT_LE(b, exact + 0.5);
      EXPECT_GE(b, exact - 1.5); // the second line lies one pixel before the first
      const auto has = [&](int px, int py) {
        return std::find(all.begin(), all.end(), std::pair{px, py}) != all.end();
      };
      EXPECT_TRUE(flat ? has(x, y - 1) || has(x, y + 1) : has(x - 1, y) || has(x + 1, y))
          << x << "," << y;
    }
  }
}

TEST(TraceCanvas, WipingWithTheBackgroundLeavesNoTraceAndCopyingKeepsIt) {
  // The chart wipes a segment by drawing it again in the background colour: nothing may stay.
  Canvas c(60, 40);
  for (const ChartSegment& s : kSegments)
    c.canvas.DrawSegment(s, kInk);
  ASSERT_FALSE(c.Inked().empty());
  Canvas larger(80, 50);
  larger.canvas.CopyFrom(c.canvas);
  EXPECT_EQ(larger.canvas.TakeDrawn(), (PixelBox{0, 0, 60, 40}));
  EXPECT_EQ(larger.Inked(), c.Inked());
  for (const ChartSegment& s : kSegments)
    c.canvas.DrawSegment(s, kPaper);
  EXPECT_TRUE(c.Inked().empty());
  c.canvas.Fill(kInk);
  EXPECT_EQ(c.Inked().size(), 60u * 40u);
}

} // namespace
