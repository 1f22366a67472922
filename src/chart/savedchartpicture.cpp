#include "chart/savedchartpicture.h"

#include "base/handles.h"
#include "base/text.h"
#include "chart/chartpaint.h"
#include "chart/chartscale.h"
#include "chart/tracecanvas.h"
#include "test/forceunit.h"
#include "ui/controls.h"

#include <stdexcept>
#include <vector>

namespace dynlog {
namespace {

void PaintLimit(HDC dc, const TestChartLayout& chart, int row, const std::string& label) {
  const ChartAxes& a = chart.axes;
  const int left = a.shape2Left + 2, right = a.shape2Left + 2 + a.shape2Width;
  const base::Pen pen(CreatePen(PS_SOLID, chart.Px(1), kLimitColour));
  const base::SelectObjectScope selectPen(dc, pen.get());
  MoveToEx(dc, left, row, nullptr);
  LineTo(dc, right, row);
  SetTextColor(dc, kLimitColour);
  const std::wstring text = base::Widen(label);
  // Above the line, at its right end: inside the chart for the lower limit, above it for the
  // upper one at the top.
  RECT box{left, row - chart.Px(18), right - chart.Px(4), row - chart.Px(1)};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace

TestChartLayout PaintTestChart(HDC dc, const RECT& area, int dpi, const OpenedTest& test,
                               const NumberSeparators& separators) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  const CsvHead& head = test.head;
  const TestChartLayout chart = LayOutTestChart(test.values, head.test.limits, width, height, dpi);
  const base::SavedDcState saved(dc);
  OffsetViewportOrgEx(dc, area.left, area.top, nullptr);
  IntersectClipRect(dc, 0, 0, width, height);
  const RECT all{0, 0, width, height};
  const HBRUSH paper = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  FillRect(dc, &all, paper);

  // The window's scale font, Arial 12 at 96 DPI, at this device's resolution.
  const base::Font font = ui::MakeFont(L"Arial", chart.Px(12));
  const ScalePaint scales{dc, font.get(), paper, separators, dpi, chart.frame};
  PaintForceScale(scales, chart.axes, chart.low, chart.high, head.decimalPlaces);
  PaintTimeScale(scales, chart.axes, width, chart.fromSeconds, chart.toSeconds);
  // The time axis's title below its scale, ending where the axis ends.
  const int titleTop =
      chart.axes.shape2Top + ChartAxes::kShape2Height + chart.frame.timeScaleHeight;
  PaintTextLine(
      scales,
      {0, titleTop, chart.axes.shape2Left + 2 + chart.axes.shape2Width, titleTop + chart.Px(18)},
      kTimeAxisName, DT_RIGHT);
  PaintTextLine(scales,
                {0, chart.frame.top - chart.Px(34), chart.axes.shape1Left + chart.Px(200),
                 chart.frame.top - chart.Px(14)},
                AxisName(head.test.unit));

  const base::SelectObjectScope selectFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  const auto limitLabel = [&](const char* name, double limit) {
    return std::string(name) + " " +
           WithUnit(ForceFigure(limit, head.decimalPlaces, separators), head.test.unit);
  };
  if (chart.upperRow)
    PaintLimit(dc, chart, *chart.upperRow, limitLabel("Obergrenze", *head.test.limits.upper));
  if (chart.lowerRow)
    PaintLimit(dc, chart, *chart.lowerRow, limitLabel("Untergrenze", *head.test.limits.lower));

  if (chart.trace.size() >= 2) {
    const base::Pen pen(CreatePen(PS_SOLID, chart.Px(TraceCanvas::kPenWidth), kTestTraceColour));
    const base::SelectObjectScope selectPen(dc, pen.get());
    std::vector<POINT> points;
    points.reserve(chart.trace.size());
    for (const ChartPoint& p : chart.trace)
      points.push_back({p.x, p.y});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
  }
  PaintAxes(dc, chart.axes);
  return chart;
}

base::MemoryBitmap RenderTestPicture(const OpenedTest& test, const NumberSeparators& separators) {
  base::MemoryBitmap picture(kPictureWidth, kPictureHeight);
  if (!picture)
    throw std::runtime_error("Bild kann nicht erzeugt werden");
  PaintTestChart(picture.dc(), {0, 0, kPictureWidth, kPictureHeight}, kPictureDpi, test,
                 separators);
  GdiFlush();
  return picture;
}

} // namespace dynlog
