#include "chart/wholetestmodel.h"

#include <algorithm>
#include <cstdlib>

namespace dynlog {

namespace {
// A press and release closer together than this are a click, not a drag.
constexpr int kLeastDrag = 3;
} // namespace

bool WholeTestModel::Show(bool shown) {
  if (!shown && !shown_)
    return false;
  if (!shown) {
    compared_.Clear(); // the opened tests are closed
    legendRows_.clear();
  } else if (compared_.Size() == 0) {
    compared_.ShowRecording(true);
  }
  shown_ = shown;
  range_.ShowAll(LongestCount(Curves()));
  readout_.clear();
  return true;
}

std::optional<std::string>
WholeTestModel::Open(std::vector<std::pair<std::string, OpenedTest>> tests, bool add) {
  if (!add || !shown_)
    compared_.Clear();
  for (auto& [name, test] : tests)
    if (!compared_.Add(name, std::move(test)))
      return name;
  return std::nullopt;
}

ViewChange WholeTestModel::ToggleReference(std::size_t i) {
  compared_.ToggleReference(i);
  return {.shown = true};
}

std::vector<ShownCurve> WholeTestModel::Curves() const {
  if (!shown_)
    return {};
  return compared_.Curves(recording_, separators_);
}

const OpenedTest* WholeTestModel::ShownFile() const {
  const auto curves = Curves();
  return curves.empty() ? nullptr : MainOf(curves).opened;
}

WholeTestModel::Judgement WholeTestModel::Judged(const Verdict& recordingVerdict) const {
  if (const OpenedTest* file = ShownFile()) {
    const CsvHead& head = file->head;
    return {head.summary ? head.summary->verdict : Verdict{}, head.test.unit, head.test.limits,
            head.decimalPlaces};
  }
  const TestDescription& test = recording_.Description();
  return {recordingVerdict, test.unit,
          test.limits.Any() ? test.limits : recording_.NextDescription().limits,
          recording_.Setting().decimalPlaces};
}

ForceLimits WholeTestModel::Limits() const {
  const auto curves = Curves();
  return curves.empty() ? recording_.Description().limits : MainOf(curves).limits;
}

bool WholeTestModel::AnyLimits() const {
  return std::ranges::any_of(Curves(), [](const ShownCurve& c) { return c.limits.Any(); });
}

std::size_t WholeTestModel::LongestCount(const std::vector<ShownCurve>& curves) const {
  return curves.empty() ? 0
                        : static_cast<std::size_t>(curves[LongestCurve(curves)].source->Count());
}

TimeWindow WholeTestModel::Window(const std::vector<ShownCurve>& curves) const {
  const int width = chart_.Axes().shape2Width;
  if (curves.empty())
    return {0, 0, width};
  return ViewWindow(*curves[LongestCurve(curves)].source, range_.From(), range_.To(), width);
}

OverlayColumns WholeTestModel::Fit(int legendHeight) {
  const auto curves = Curves();
  OverlayColumns fitted = FitCurves(curves, Window(curves));
  // The limits on the scale too, so that their lines show how near the test came.
  const ForceLimits limits = Limits();
  for (const auto& limit : {limits.lower, limits.upper})
    if (limit) {
      fitted.low = std::min(fitted.low, *limit);
      fitted.high = std::max(fitted.high, *limit);
    }
  // Room above the curves for the legend, so that it covers none of them.
  const int height = chart_.Axes().shape1Height;
  if (curves.size() > 1 && legendHeight > 0 && legendHeight < height / 2)
    fitted.high = fitted.low + (fitted.high - fitted.low) * height / (height - legendHeight);
  low_ = fitted.low;
  high_ = fitted.high;
  return fitted;
}

std::optional<ViewScales> WholeTestModel::Scales() const {
  const auto curves = Curves();
  if (curves.empty())
    return std::nullopt;
  return ViewScales{low_, high_, MainOf(curves).format.decimalPlaces, Window(curves)};
}

std::optional<std::pair<int, int>> WholeTestModel::Band() const {
  if (dragFrom_ < 0 || dragTo_ < 0)
    return std::nullopt;
  return std::pair{std::min(dragFrom_, dragTo_), std::max(dragFrom_, dragTo_)};
}

ViewChange WholeTestModel::MouseDown(int x, int y) {
  dragTo_ = -1;
  dragFrom_ = -1;
  if (!shown_)
    return {};
  for (std::size_t i = 0; i < legendRows_.size(); ++i) {
    const PixelBox& r = legendRows_[i];
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
      return ToggleReference(i);
  }
  if (chart_.ColumnAt(x) >= 0)
    dragFrom_ = x;
  return {};
}

ViewChange WholeTestModel::MouseMove(int x, int y) {
  if (!shown_)
    return {};
  ViewChange change;
  const ChartAxes& a = chart_.Axes();
  if (dragFrom_ >= 0 && std::abs(x - dragFrom_) >= kLeastDrag) {
    const int to = std::clamp(x, a.shape2Left + 2, a.shape2Left + 1 + a.shape2Width);
    change.trace = to != dragTo_;
    dragTo_ = to;
  }
  const auto box = chart_.TraceBox();
  const auto curves = Curves();
  std::string text;
  if (y >= box.top && y < box.bottom + 4 && !curves.empty())
    text = CurveReadout(MainOf(curves), Window(curves), chart_.ColumnAt(x));
  if (text != readout_) {
    readout_ = std::move(text);
    change.readout = true;
  }
  return change;
}

ViewChange WholeTestModel::MouseUp(int x) {
  const int from = dragFrom_;
  const bool band = dragTo_ >= 0;
  dragFrom_ = dragTo_ = -1;
  const ChartAxes& a = chart_.Axes();
  const auto column = [&](int at) {
    return std::clamp(at - (a.shape2Left + 2), 0, a.shape2Width - 1);
  };
  const auto curves = Curves();
  const bool zoomed = from >= 0 && std::abs(x - from) >= kLeastDrag && !curves.empty() &&
                      range_.ZoomToColumns(column(from), column(x), a.shape2Width,
                                           [source = curves[LongestCurve(curves)].source](
                                               std::uint64_t i) { return source->SecondsOf(i); });
  return {.trace = zoomed || band};
}

ViewChange WholeTestModel::ShowAll() {
  const std::size_t count = LongestCount(Curves());
  if (count == 0 || !range_.Zoomed(count))
    return {};
  range_.ShowAll(count);
  return {.trace = true};
}

const std::array<std::string, 2>& WholeTestModel::TextLines() {
  textLines_[0] = ResultsLine(recording_.Results(), recording_.Format(separators_));
  textLines_[1].clear();
  if (const auto curves = Curves(); !curves.empty()) {
    const ShownCurve& main = MainOf(curves);
    textLines_[0] = ResultsLine(main.results, main.format);
    textLines_[1] = range_.Zoomed(LongestCount(curves))
                        ? StretchLine(CurveStretch(main, Window(curves)), main.format)
                        : OpenedTestNote(main, separators_);
  }
  return textLines_;
}

} // namespace dynlog
