#pragma once
// Geometry and state of the live force chart: a sweep display of 601 positions across the
// horizontal axis with a gap wiped 20 positions ahead of the newest point, and a vertical scale
// that widens to every value seen and never shrinks. No drawing happens here: ShowValue says
// which segments to draw, the window draws them with its 2-pixel pen. The chart keeps the values
// behind its points, so that a new size places them all afresh.

#include <array>
#include <optional>
#include <vector>

namespace dynlog {

struct ChartPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

struct ChartSegment {
  ChartPoint from;
  ChartPoint to;
  friend bool operator==(const ChartSegment&, const ChartSegment&) = default;
};

// The two axis shapes (client coordinates). Shape1 is the vertical axis, 2 pixels wide; Shape2 the
// horizontal one, 2 pixels high.
struct ChartAxes {
  int shape1Left = 18;
  int shape1Top = 80;
  int shape1Height = 177;
  int shape2Left = 18;
  int shape2Top = 257;
  int shape2Width = 393;
  static constexpr int kShape1Width = 2;
  static constexpr int kShape2Height = 2;
  friend bool operator==(const ChartAxes&, const ChartAxes&) = default;
};

// What one new value asks the window to draw, in this order.
struct ChartDrawing {
  std::optional<ChartSegment> wipe;  // in the window's background colour
  std::optional<ChartSegment> trace; // in blue, RGB (0, 0, 255)
};

// The room around the axes in the client area, in the screen's pixels: the force scale's labels
// left of the vertical axis, the time scale's line below the horizontal one, then two lines of
// text at the bottom. The defaults are those of a 96 DPI screen with the value display at its
// first size; the axis starts below the value display, so that no peak lies hidden under it.
struct ChartFrame {
  int top = 96;
  int scaleWidth = 52;
  int rightMargin = 14;
  int timeScaleHeight = 16;
  int textLinesHeight = 32;
  friend bool operator==(const ChartFrame&, const ChartFrame&) = default;
};

class ForceChart {
public:
  static constexpr int kLastIndex = 600; // positions 0 .. 600
  static constexpr int kWipeAhead = 20;
  static constexpr int kMinAxisLength = 20;

  // Every stored point starts  // Every stored point starts at the axes' crossing left of the
  // middle of the vertical axis.
  explicit ForceChart(const ChartAxes& axes = ChartAxes{});

  // Widens the range to the value, advances the sweep and places the value's point.
  ChartDrawing ShowValue(double value);

  // Widens the range to the value (a limit the chart must show) and places every held point
  // afresh on it; returns whether the range changed.
  bool Include(double value);

  // Fits the axes to the window's client area and places every held point afresh on them, with
  // the current range.
  void FitToClient(int clientWidth, int clientHeight, const ChartFrame& frame = {});
  const ChartFrame& Frame() const { return frame_; }

  // What the chart holds, as the segments to draw on a blank chart: those drawn since the start
  // and not wiped since, at the points' current places.
  std::vector<ChartSegment> HeldSegments() const;

  // The pixels the trace may cover: from the vertical axis to the right end of the horizontal one,
  // from one pixel above the vertical axis to the horizontal one's top, the pen's width included.
  struct Box {
    int left, top, right, bottom; // right and bottom not included
  };
  Box TraceBox() const;
  // The column of the time axis under window x, -1 left or right of it.
  int ColumnAt(int x) const {
    const int column = x - (axes_.shape2Left + 2);
    return column >= 0 && column < axes_.shape2Width ? column : -1;
  }

  // The row of a value on the current scale.
  int RowOf(double value) const;

  const ChartAxes& Axes() const { return axes_; }
  int ChartIndex() const { return chartIndex_; }
  const std::array<ChartPoint, kLastIndex + 1>& ChartPoints() const { return chartPoints_; }
  double RangeMin() const { return rangeMin_; }
  double RangeMax() const { return rangeMax_; }

private:
  ChartPoint PointOf(int index, double value) const;
  void PlaceHeldPoints();

  ChartAxes axes_;
  ChartFrame frame_;
  std::array<double, kLastIndex + 1> values_{};
  std::array<bool, kLastIndex + 1> placed_{};
  int chartIndex_ = 0;
  std::array<ChartPoint, kLastIndex + 1> chartPoints_;
  double rangeMin_ = -1.0;
  double rangeMax_ = 1.0;
};

// The row of a value on a vertical scale from low (the axis's bottom row) to high (one pixel above
// its top).
int ChartRow(const ChartAxes& axes, double low, double high, double value);

// Nearest integer, a value exactly halfway going to the even neighbour, whatever rounding mode the
// floating-point unit happens to be in.
int RoundHalfEven(double v);

} // namespace dynlog
