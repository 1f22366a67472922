#include "chart/overlaychart.h"

#include "chart/chartscale.h"

#include <algorithm>

namespace dynlog {

CurveRgb CurveColour(std::size_t i) {
  static constexpr CurveRgb kColours[kMostCurves] = {
      {0, 0, 255}, {0, 150, 0}, {230, 120, 0}, {150, 0, 170}, {0, 160, 170}};
  return kColours[i % kMostCurves];
}

TimeWindow ViewWindow(const ColumnSource& base, std::size_t from, std::size_t to, int columns) {
  to = std::min<std::size_t>(to, base.Count());
  if (from >= to)
    return {0, 0, columns};
  return {base.SecondsOf(from), base.SecondsOf(to - 1), columns};
}

OverlayColumns FitCurves(const std::vector<ShownCurve>& curves, const TimeWindow& window) {
  OverlayColumns fitted;
  bool any = false;
  for (const ShownCurve& curve : curves) {
    fitted.curves.push_back(ColumnsInWindow(*curve.source, window));
    if (fitted.curves.back().empty())
      continue;
    const auto [low, high] = ColumnRange(fitted.curves.back());
    fitted.low = any ? std::min(fitted.low, low) : low;
    fitted.high = any ? std::max(fitted.high, high) : high;
    any = true;
  }
  return fitted;
}

void DrawCurves(TraceCanvas& canvas, const ChartAxes& axes, const OverlayColumns& fitted,
                std::optional<std::size_t> reference) {
  const auto pixel = [](std::size_t i) {
    const CurveRgb c = CurveColour(i);
    return RgbPixel(c.r, c.g, c.b);
  };
  // The reference first and two pixels wider: the pen's line once more beside it on each side.
  if (reference && *reference < fitted.curves.size())
    for (const auto& [dx, dy] : {std::pair{-1, -1}, {1, 1}, {1, -1}, {-1, 1}}) {
      ChartAxes shifted = axes;
      shifted.shape2Left += dx;
      shifted.shape1Top += dy;
      shifted.shape2Top += dy;
      DrawColumns(canvas, shifted, fitted.curves[*reference], fitted.low, fitted.high,
                  pixel(*reference));
    }
  for (std::size_t i = 0; i < fitted.curves.size(); ++i)
    DrawColumns(canvas, axes, fitted.curves[i], fitted.low, fitted.high, pixel(i));
}

std::string CurveReadout(const ShownCurve& curve, const TimeWindow& window, int column) {
  const ColumnSource& s = *curve.source;
  if (column < 0 || column >= window.columns || s.Count() == 0)
    return {};
  const double t = window.columns > 1
                       ? window.first + (window.last - window.first) * column / (window.columns - 1)
                       : window.first;
  const double interval = 1.0 / curve.format.valuesPerSecond;
  if (t < s.SecondsOf(0) - interval || t > s.LastSeconds() + interval)
    return {};
  const std::uint64_t i = NearestIndex(s, t);
  std::string text = "t = ";
  AppendSeconds(text, s.SecondsOf(i), TimeDecimals(curve.format.valuesPerSecond),
                curve.format.separators);
  text += " s   F = ";
  AppendNumber(text, s.Value(i), curve.format.decimalPlaces, kFileSignificantDigits,
               curve.format.separators);
  return text;
}

StretchFigures CurveStretch(const ShownCurve& curve, const TimeWindow& window) {
  const auto [from, to] = IndicesInWindow(*curve.source, window);
  return curve.source->Stretch(from, to);
}

} // namespace dynlog
