#pragma once
// The measurement window's chart area: its picture off screen, into which the live sweep draws
// every kept value and GDI paints the scales, the text lines below the chart and the readout
// above it; and the copy of what changed onto the window. In the whole-test view the pane draws
// the curves instead, while the sweep goes on behind it.
#include "base/handles.h"
#include "base/numberformat.h"
#include "chart/forcechart.h"
#include "chart/tracepicture.h"
#include "chart/wholetestmodel.h"
#include "ui/form.h"
#include "window/redrawmarks.h"
#include "window/wholetestpane.h"

class ChartArea {
public:
  struct Parts {
    dynlog::ForceChart& chart;
    dynlog::WholeTestModel& whole;
    WholeTestPane& pane;
    dynlog::RedrawMarks& marks;
    const dynlog::NumberSeparators& separators;
    ui::ScaledFont& scaleFont;
  };
  ChartArea(ui::Form& form, Parts parts);

  // A kept value into the sweep: the force scale widened to it (marked to be painted again) and
  // its point drawn, unless the whole test is shown. True when the range changed.
  bool TakeValue(double value);
  // The marked scales and text lines into the picture, the results line only with texts due, for
  // the rate kept and the unit's decimals; the readout starts at readoutLeft (logical).
  dynlog::PixelBox PaintReadings(bool texts, double rate, int decimals, int readoutLeft);
  // What changed in the picture since, and the readings, straight onto the window: an
  // invalidation would add a paint message and its update region every tick.
  void ShowChanges(const dynlog::PixelBox& readings);
  // The picture for the window's new size, drawn afresh.
  void Fit(int width, int height);
  // The trace afresh: the sweep as held, or the whole test; the scales and text lines with it.
  void Redraw();
  // What was drawn since is not copied: the whole window is painted next.
  void DropChanges() { picture_.Canvas().TakeDrawn(); }
  void PaintOnto(HDC dc, const RECT& area);

private:
  dynlog::ScalePaint Paint();

  ui::Form& form_;
  Parts parts_;
  dynlog::TracePicture picture_;
  base::Brush paper_;
};
