#include "chart/chartpaint.h"

#include "base/handles.h"
#include "base/text.h"
#include "chart/chartscale.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace dynlog {
namespace {

constexpr int kTickLength = 4;

void Text(const ScalePaint& p, RECT box, std::string_view utf8, UINT align) {
  const std::wstring text = base::Widen(utf8);
  DrawTextW(p.dc, text.c_str(), static_cast<int>(text.size()), &box,
            align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
}

struct TextScope {
  TextScope(const ScalePaint& p) : dc(p.dc), font(p.dc, p.font) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
  }
  HDC dc;
  base::SelectObjectScope font;
};

} // namespace

RECT PaintForceScale(const ScalePaint& p, const ChartAxes& axes, double low, double high,
                     int decimals) {
  // Down to where the time scale begins, which paints its own rows: neither wipes the other.
  const int timeScaleTop = axes.shape2Top + ChartAxes::kShape2Height;
  const RECT area{0, axes.shape1Top - p.Px(10), axes.shape1Left, timeScaleTop};
  FillRect(p.dc, &area, p.paper);
  const TextScope scope(p);
  const AxisTicks ticks =
      RoundTicks(low, high, std::max(2, axes.shape1Height / p.Px(24) + 1), decimals);
  const int tick = p.Px(kTickLength), half = p.Px(8), labelHeight = p.Px(16);
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  std::string label;
  for (int i = 0; i < ticks.count; ++i) {
    const double v = ticks.At(i);
    const int row = ChartRow(axes, low, high, v);
    const RECT mark{axes.shape1Left - tick, row, axes.shape1Left, row + 1};
    FillRect(p.dc, &mark, black);
    label.clear();
    AppendNumber(label, v, decimals, kDisplaySignificantDigits, p.separators);
    // A label at the time axis moves up beside its tick rather than into the time scale, and one
    // at the axis's top down beside it rather than under the axis's name above.
    const int labelTop = std::min(std::max(row - half, axes.shape1Top), timeScaleTop - labelHeight);
    Text(p, {0, labelTop, axes.shape1Left - tick - p.Px(2), labelTop + labelHeight}, label,
         DT_RIGHT);
  }
  return area;
}

RECT PaintSweepScale(const ScalePaint& p, const ChartAxes& axes, int clientWidth,
                     double valuesPerSecond) {
  const int top = axes.shape2Top + ChartAxes::kShape2Height;
  const RECT area{0, top, clientWidth, top + p.frame.timeScaleHeight};
  FillRect(p.dc, &area, p.paper);
  const TextScope scope(p);
  const int left = axes.shape2Left + 2, right = axes.shape2Left + 2 + axes.shape2Width;
  Text(p, {left - p.Px(10), top, left + p.Px(10), area.bottom}, "0", DT_CENTER);
  Text(p, {left + p.Px(20), top, right, area.bottom}, SweepCaption(valuesPerSecond, p.separators),
       DT_RIGHT);
  return area;
}

RECT PaintTimeScale(const ScalePaint& p, const ChartAxes& axes, int clientWidth, double from,
                    double to) {
  const int top = axes.shape2Top + ChartAxes::kShape2Height;
  const RECT area{0, top, clientWidth, top + p.frame.timeScaleHeight};
  FillRect(p.dc, &area, p.paper);
  const TextScope scope(p);
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const int left = axes.shape2Left + 2;
  for (const TimeTick& tick : TimeTicks(from, to, axes.shape2Width,
                                        std::max(2, axes.shape2Width / p.Px(60)), p.separators)) {
    const int x = left + tick.column;
    const RECT mark{x, top, x + 1, top + p.Px(3)};
    FillRect(p.dc, &mark, black);
    Text(p, {x - p.Px(40), top + p.Px(2), x + p.Px(40), area.bottom}, tick.label, DT_CENTER);
  }
  return area;
}

void PaintTextLine(const ScalePaint& p, const RECT& box, std::string_view utf8, UINT align) {
  FillRect(p.dc, &box, p.paper);
  const TextScope scope(p);
  Text(p, {box.left + p.Px(4), box.top, box.right, box.bottom}, utf8, align);
}

void PaintAxes(HDC dc, const ChartAxes& a) {
  const RECT shapes[] = {
      {a.shape1Left, a.shape1Top, a.shape1Left + ChartAxes::kShape1Width,
       a.shape1Top + a.shape1Height},
      {a.shape2Left, a.shape2Top, a.shape2Left + a.shape2Width,
       a.shape2Top + ChartAxes::kShape2Height},
  };
  for (const RECT& r : shapes) {
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
}

} // namespace dynlog
