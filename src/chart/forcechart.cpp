#include "chart/forcechart.h"

#include <algorithm>
#include <cmath>

namespace dynlog {

int RoundHalfEven(double v) {
  // Far outside any window; keeps the coordinate arithmetic that follows free of overflow.
  constexpr double kLimit = 1e9;
  if (std::isnan(v))
    return 0;
  v = std::clamp(v, -kLimit, kLimit);
  const double below = std::floor(v);
  const double rest = v - below; // exact for every double
  double r = below;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0))
    r += 1.0;
  return static_cast<int>(r);
}

ForceChart::ForceChart(const ChartAxes& axes) : axes_(axes) {
  chartPoints_.fill({axes_.shape2Left, axes_.shape1Top + axes_.shape1Height / 2});
}

ChartDrawing ForceChart::ShowValue(double value) {
  if (value > rangeMax_)
    rangeMax_ = value;
  if (value < rangeMin_)
    rangeMin_ = value;

  const int oldIndex = chartIndex_;
  chartIndex_ = chartIndex_ >= kLastIndex ? 0 : chartIndex_ + 1;

  ChartDrawing drawing;
  int d = chartIndex_ + kWipeAhead;
  if (d > kLastIndex)
    d -= kLastIndex + 1;
  // Segments ending at positions 0 and 1 are never drawn, so there is nothing to wipe there.
  if (d >= 1 && d <= kLastIndex - 1)
    drawing.wipe = ChartSegment{chartPoints_[d], chartPoints_[d + 1]};

  values_[chartIndex_] = value;
  placed_[chartIndex_] = true;
  chartPoints_[chartIndex_] = PointOf(chartIndex_, value);

  if (chartIndex_ > 1)
    drawing.trace = ChartSegment{chartPoints_[oldIndex], chartPoints_[chartIndex_]};
  return drawing;
}

int ChartRow(const ChartAxes& axes, double low, double high, double value) {
  const double up = (value - low) / (high - low) * axes.shape1Height;
  // A value on low lands on the axis's bottom row, one on high just above its top.
  return axes.shape1Top + axes.shape1Height - 1 - RoundHalfEven(up);
}

int ForceChart::RowOf(double value) const {
  return ChartRow(axes_, rangeMin_, rangeMax_, value);
}

ChartPoint ForceChart::PointOf(int index, double value) const {
  const double across = static_cast<double>(index) * axes_.shape2Width / kLastIndex;
  return {axes_.shape2Left + 2 + RoundHalfEven(across), RowOf(value)};
}

void ForceChart::FitToClient(int clientWidth, int clientHeight, const ChartFrame& frame) {
  frame_ = frame;
  axes_.shape1Left = axes_.shape2Left = frame.scaleWidth;
  axes_.shape1Top = frame.top;
  axes_.shape1Height =
      std::max(kMinAxisLength, clientHeight - frame.textLinesHeight - frame.timeScaleHeight -
                                   ChartAxes::kShape2Height - frame.top);
  axes_.shape2Top = axes_.shape1Top + axes_.shape1Height;
  axes_.shape2Width = std::max(kMinAxisLength, clientWidth - frame.scaleWidth - frame.rightMargin);
  PlaceHeldPoints();
}

bool ForceChart::Include(double value) {
  if (value <= rangeMax_ && value >= rangeMin_)
    return false;
  rangeMax_ = std::max(rangeMax_, value);
  rangeMin_ = std::min(rangeMin_, value);
  PlaceHeldPoints();
  return true;
}

void ForceChart::PlaceHeldPoints() {
  for (int i = 0; i <= kLastIndex; ++i)
    chartPoints_[i] = placed_[i]
                          ? PointOf(i, values_[i])
                          : ChartPoint{axes_.shape2Left, axes_.shape1Top + axes_.shape1Height / 2};
}

std::vector<ChartSegment> ForceChart::HeldSegments() const {
  std::vector<ChartSegment> held;
  held.reserve(kLastIndex);
  for (int end = 2; end <= kLastIndex; ++end) {
    // The wipe runs ahead of the newest point: the 21 segments ending after it are gone.
    const int ahead = (end - chartIndex_ - 1 + kLastIndex + 1) % (kLastIndex + 1);
    if (placed_[end] && placed_[end - 1] && ahead > kWipeAhead)
      held.push_back({chartPoints_[end - 1], chartPoints_[end]});
  }
  return held;
}

ForceChart::Box ForceChart::TraceBox() const {
  return {axes_.shape1Left, axes_.shape1Top - 2, axes_.shape2Left + 2 + axes_.shape2Width + 1,
          axes_.shape2Top};
}

} // namespace dynlog
