#pragma once
// What the whole-test view shows, apart from its window: which tests lie in it and which is the
// main curve, the stretch of time shown, the force scale, the band being dragged, the legend's
// rows, the readout under the mouse and the two text lines below the chart. The window hands it
// the mouse and paints from it; nothing here draws or asks the system.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/numberformat.h"
#include "chart/forcechart.h"
#include "chart/openedtests.h"
#include "chart/overlaychart.h"
#include "chart/tracecanvas.h"
#include "chart/wholetest.h"
#include "test/recording.h"

namespace dynlog {

// What a change of the view asks of the window.
struct ViewChange {
  bool trace = false;   // the curves, the band or the scale drawn afresh
  bool readout = false; // the readout line above the chart
  bool shown = false;   // another main curve or none: its unit, limits and verdict, the layout
  explicit operator bool() const { return trace || readout || shown; }
};

// The scales of the view: force from low to high to the main curve's decimals, and time.
struct ViewScales {
  double low = -1, high = 1;
  int decimals = 0;
  TimeWindow window;
};

class WholeTestModel {
public:
  // The recording, the chart's geometry and the separators outlive the model.
  WholeTestModel(const Recording& recording, const ForceChart& chart,
                 const NumberSeparators& separators)
      : recording_(recording), chart_(chart), separators_(separators) {}

  bool Shown() const { return shown_; }
  // The view comes with the recording when it shows no opened test, or goes and closes the
  // opened tests. False when there was nothing to hide.
  bool Show(bool shown);
  // Tests read from their files, laid over what is shown with `add`, else in its place. The name
  // of the first that did not fit (five at most lie over each other), if any.
  std::optional<std::string> Open(std::vector<std::pair<std::string, OpenedTest>> tests, bool add);
  // Curve i becomes the reference, or stops being it (a click on its legend row).
  ViewChange ToggleReference(std::size_t i);

  const ComparedTests& Compared() const { return compared_; }
  // The curves shown, none while the view is hidden; valid until the model or the recording
  // changes.
  std::vector<ShownCurve> Curves() const;
  const ShownCurve& MainOf(const std::vector<ShownCurve>& curves) const {
    return curves[MainCurve(curves, compared_.Reference())];
  }
  // The opened test the view is about, when its main curve is one.
  const OpenedTest* ShownFile() const;
  // What the verdict row judges: the opened test the view is about, as its file says (its own
  // verdict, limits, unit and decimals); else the recording, with `recordingVerdict` and, while it
  // has no limits, those of the next test.
  struct Judgement {
    Verdict verdict;
    ForceUnit unit;
    ForceLimits limits;
    int decimals = 0;
  };
  Judgement Judged(const Verdict& recordingVerdict) const;
  // The limits drawn across the chart: the main curve's, else the recording's.
  ForceLimits Limits() const;
  // Whether any curve shown has limits (the window keeps the verdict row for them).
  bool AnyLimits() const;
  // The values of the longest curve shown: [From, To).
  const WholeTestView& Range() const { return range_; }

  // The curves fitted to the chart's columns on the force scale they share, widened by the limits
  // and, above the curves, by a legend `legendHeight` pixels high when more than one is shown.
  OverlayColumns Fit(int legendHeight);
  // The scales of the last fit; none while no curve is shown.
  std::optional<ViewScales> Scales() const;

  // The band a release would zoom into: its first and last window column x.
  std::optional<std::pair<int, int>> Band() const;
  // The legend's rows as painted, in window pixels, top to bottom.
  void SetLegendRows(std::vector<PixelBox> rows) { legendRows_ = std::move(rows); }

  // The mouse in window pixels: a drag across the trace shows a band and zooms into it on release,
  // a press on a legend row marks the reference, moving reads the main curve under the mouse.
  ViewChange MouseDown(int x, int y);
  ViewChange MouseMove(int x, int y);
  ViewChange MouseUp(int x);
  // The whole length again after a zoom (Esc, a double click).
  ViewChange ShowAll();

  const std::string& Readout() const { return readout_; }
  // The lines below the chart made afresh: the results of the main curve, or of the recording
  // while the view is hidden; then the stretch shown or the opened test's head.
  const std::array<std::string, 2>& TextLines();
  const std::string& TextLine(int i) const { return textLines_[static_cast<std::size_t>(i % 2)]; }
  int TextLineCount() const { return shown_ ? 2 : 1; }

private:
  TimeWindow Window(const std::vector<ShownCurve>& curves) const;
  std::size_t LongestCount(const std::vector<ShownCurve>& curves) const;

  const Recording& recording_;
  const ForceChart& chart_;
  const NumberSeparators& separators_;
  bool shown_ = false;
  ComparedTests compared_;
  WholeTestView range_;
  double low_ = -1, high_ = 1;
  int dragFrom_ = -1, dragTo_ = -1; // window x; -1 for none
  std::vector<PixelBox> legendRows_;
  std::string readout_;
  std::array<std::string, 2> textLines_;
};

} // namespace dynlog
