#include "window/chartarea.h"

#include "chart/chartpaint.h"
#include "window/maincontrols.h"

using namespace dynlog::mainwindow;
using dynlog::WindowPart;

ChartArea::ChartArea(ui::Form& form, Parts parts)
    : form_(form), parts_(parts), picture_(kTraceColour, form.Background()),
      paper_(CreateSolidBrush(form.Background())) {}

dynlog::ScalePaint ChartArea::Paint() {
  return {picture_.dc(), parts_.scaleFont.get(), paper_.get(), parts_.separators,
          form_.Dpi(),   parts_.chart.Frame()};
}

bool ChartArea::TakeValue(double value) {
  dynlog::ForceChart& chart = parts_.chart;
  const double low = chart.RangeMin(), high = chart.RangeMax();
  // The range first: ShowValue widens it before placing the point.
  const dynlog::ChartDrawing drawing = chart.ShowValue(value);
  const bool widened = chart.RangeMin() != low || chart.RangeMax() != high;
  if (widened)
    parts_.marks.Mark(WindowPart::Scales);
  if (!parts_.whole.Shown()) { // else the sweep goes on behind the whole test
    if (drawing.wipe)
      picture_.Wipe(*drawing.wipe);
    if (drawing.trace)
      picture_.Draw(*drawing.trace);
  }
  return widened;
}

dynlog::PixelBox ChartArea::PaintReadings(bool texts, double rate, int decimals, int readoutLeft) {
  dynlog::PixelBox painted;
  if (!picture_)
    return painted;
  RECT client;
  GetClientRect(form_.Handle(), &client);
  const dynlog::ScalePaint p = Paint();
  const auto touch = [&painted](const RECT& r) {
    painted = painted.Joined({r.left, r.top, r.right, r.bottom});
  };
  const dynlog::ForceChart& chart = parts_.chart;
  dynlog::WholeTestModel& whole = parts_.whole;
  if (parts_.marks.Take(WindowPart::Scales)) {
    if (const auto s = whole.Scales()) {
      touch(dynlog::PaintForceScale(p, chart.Axes(), s->low, s->high, s->decimals));
      touch(dynlog::PaintTimeScale(p, chart.Axes(), client.right, s->window.first, s->window.last));
    } else {
      touch(dynlog::PaintForceScale(p, chart.Axes(), chart.RangeMin(), chart.RangeMax(), decimals));
      touch(dynlog::PaintSweepScale(p, chart.Axes(), client.right, rate));
    }
  }
  if (texts && parts_.marks.Take(WindowPart::Results)) {
    const int height = form_.Px(kStatusHeight);
    RECT line{0, client.bottom - chart.Frame().textLinesHeight, client.right, 0};
    line.bottom = line.top + height;
    const auto& lines = whole.TextLines();
    for (int i = 0; i < whole.TextLineCount(); ++i, OffsetRect(&line, 0, height)) {
      dynlog::PaintTextLine(p, line, lines[static_cast<std::size_t>(i)]);
      touch(line);
    }
  }
  if (parts_.marks.Take(WindowPart::Readout)) {
    // Between the axis name and the value display, above the chart.
    const int top = chart.Axes().shape1Top - form_.Px(18);
    const RECT line{form_.Px(readoutLeft), top, form_.Px(readoutLeft + 236), top + form_.Px(16)};
    dynlog::PaintTextLine(p, line, whole.Readout());
    touch(line);
  }
  if (!painted.Empty())
    GdiFlush(); // before the canvas writes into the same memory again
  return painted;
}

void ChartArea::ShowChanges(const dynlog::PixelBox& readings) {
  // One box for the trace and one for the text: one box around both would span the whole chart.
  const dynlog::PixelBox drawn = picture_.Canvas().TakeDrawn();
  const HWND window = form_.Handle();
  if (!IsWindowVisible(window) || IsIconic(window))
    return;
  const base::WindowDc dc(window);
  for (const dynlog::PixelBox& p : {drawn, readings}) {
    if (p.Empty())
      continue;
    const base::SavedDcState saved(dc.get());
    IntersectClipRect(dc.get(), p.left, p.top, p.right, p.bottom);
    PaintOnto(dc.get(), {p.left, p.top, p.right, p.bottom});
  }
}

void ChartArea::Fit(int width, int height) {
  picture_.Fit(width, height);
  Redraw();
}

void ChartArea::Redraw() {
  picture_.Clear();
  parts_.marks.Mark(WindowPart::Scales);
  parts_.marks.Mark(WindowPart::Results);
  parts_.marks.Mark(WindowPart::Readout);
  if (!parts_.whole.Shown()) {
    for (const dynlog::ChartSegment& segment : parts_.chart.HeldSegments())
      picture_.Draw(segment);
    return;
  }
  parts_.pane.Draw(picture_, Paint());
}

void ChartArea::PaintOnto(HDC dc, const RECT& area) {
  picture_.CopyTo(dc, area);
  dynlog::PaintAxes(dc, parts_.chart.Axes());
  parts_.pane.PaintLimitLines(dc, area, form_.Dpi());
}
