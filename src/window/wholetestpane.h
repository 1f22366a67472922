#pragma once
// The whole-test view's side in the measurement window: reading the tests to open, drawing the
// curves with their band and legend into the chart's picture, the limit lines across the chart,
// and handing the test shown on as a picture or a report page. It reads the model and the
// recording and never calls the window.
#include "base/handles.h"
#include "chart/chartpaint.h"
#include "chart/tracepicture.h"
#include "chart/wholetestmodel.h"

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

class WholeTestPane {
public:
  WholeTestPane(dynlog::WholeTestModel& model, const dynlog::Recording& recording,
                const dynlog::ForceChart& chart, const dynlog::NumberSeparators& separators);

  // Reads every file before the view changes, with an error box for each that cannot be shown,
  // and opens those read; true when any was.
  bool Open(const std::vector<std::string>& utf8Paths, bool add);
  // The shown curves fitted into the trace of the picture, the band being dragged beneath them
  // and the legend above them.
  void Draw(dynlog::TracePicture& picture, const dynlog::ScalePaint& p);
  // The limit lines across the chart, dashed, on the scale shown: the view's or the sweep's.
  void PaintLimitLines(HDC dc, const RECT& area, int dpi);
  // The chart as the window shows it, from the axis name (`top`) down to the text lines below
  // it, above the status line (`bottom` high): the sweep or the whole test, zoomed or not, with
  // its legend and limit lines. On the clipboard, and offered as a PNG file.
  void CopyPicture(HWND window, int top, int bottom, std::span<const HWND> leaveOut);
  // The report page of the test shown, printed or as a PNG file, as the person chooses.
  void Report(HWND owner);

private:
  // The test the view is about (its main curve, when that is an opened file) or else the
  // recording, with its name; an error box when there is none.
  void WithShownTest(const std::function<void(const dynlog::OpenedTest&, const std::string&)>& use);

  dynlog::WholeTestModel& model_;
  const dynlog::Recording& recording_;
  const dynlog::ForceChart& chart_;
  const dynlog::NumberSeparators& separators_;
  base::Brush limitBrush_;
  std::wstring lastPictureName_ = L"*.png";
};
