// The whole-test view's rules without a window: a drag zooms and Esc shows all again, the scale
// takes in the limits and room for the legend, a legend row marks the reference whose file and
// limits the view then takes, the readout and the lines below the chart.
#include "chart/wholetestmodel.h"

#include <gtest/gtest.h>

#include <memory>

namespace dynlog {
namespace {

const NumberSeparators de = GermanSeparators();

struct View {
  // A stopped recording of 1000 values rising from 0 to 99.9, at 320 a second.
  explicit View(ForceLimits limits = {}) {
    recording->Describe({ForceUnit::N, {"P-1", "", "", ""}, limits});
    recording->Start({SampleRate::Hz320, false, 19200, 1, "COM3", "KM470"}, {});
    for (int i = -32; i < 1000; ++i)
      recording->TakeFrame(std::max(i, 0) / 10.0, {SampleRate::Hz320, false, 19200});
    recording->Stop();
    model.Show(true);
  }
  // The window x of time axis column c.
  int X(int column) const { return chart.Axes().shape2Left + 2 + column; }
  std::unique_ptr<Recording> recording = std::make_unique<Recording>();
  ForceChart chart;
  WholeTestModel model{*recording, chart, de};
};

// A file of 640 values at 320 a second, 1 kN but for its peak at 1 s.
std::vector<std::pair<std::string, OpenedTest>> File(float peak, ForceLimits limits) {
  OpenedTest t;
  t.head.decimalPlaces = 1;
  t.head.test = {ForceUnit::kN, {}, limits};
  t.values.SetRate(320);
  for (int i = 0; i < 640; ++i)
    t.values.Append(i == 320 ? peak : 1.0f);
  t.values.Finish();
  std::vector<std::pair<std::string, OpenedTest>> files;
  files.emplace_back("b.csv", std::move(t));
  return files;
}

TEST(WholeTestModel, ADragZoomsIntoItsBandAndEscShowsAllAgain) {
  View v;
  const int w = v.chart.Axes().shape2Width, y = v.chart.TraceBox().top + 20;
  const struct {
    int from, to; // columns; beyond the axis is clamped to its end
    bool zoomed;
    std::size_t first, end;
  } drags[] = {{w / 5, w / 2, true, 200, 501},
               {w / 2, w / 5, true, 200, 501},
               {w / 2, w + 40, true, 500, 1000},
               {100, 102, false, 0, 1000}};
  for (const auto& d : drags) {
    SCOPED_TRACE(d.to);
    EXPECT_FALSE(v.model.MouseDown(v.X(d.from), y));
    EXPECT_EQ(v.model.MouseMove(v.X(d.to), y).trace, d.zoomed) << "the band drawn";
    if (d.zoomed) {
      EXPECT_EQ(v.model.Band(), std::pair(v.X(std::min(d.from, d.to)),
                                          std::min(v.X(std::max(d.from, d.to)), v.X(w - 1))));
    }
    EXPECT_EQ(v.model.MouseUp(v.X(d.to)).trace, d.zoomed);
    EXPECT_FALSE(v.model.Band());
    EXPECT_NEAR(double(v.model.Range().From()), double(d.first), 3);
    EXPECT_NEAR(double(v.model.Range().To()), double(d.end), 3);
    EXPECT_EQ(v.model.ShowAll().trace, d.zoomed);
    EXPECT_FALSE(v.model.Range().Zoomed(1000));
  }
}

TEST(WholeTestModel, TheScaleTakesInTheLimitsAndRoomAboveForTheLegend) {
  const int h = ForceChart().Axes().shape1Height;
  const struct {
    ForceLimits limits;
    bool second;
    int legend;
    double low, high;
  } cases[] = {{{}, false, 40, 0, 99.9},
               {{-20.0, 150.0}, false, 40, -20, 150},
               {{}, true, 40, 0, 99.9 * h / (h - 40)},
               {{}, true, h / 2, 0, 99.9}}; // a legend that high would squeeze the curves
  for (const auto& c : cases) {
    View v(c.limits);
    if (c.second)
      v.model.Open(File(50, {}), true);
    v.model.Fit(c.legend);
    EXPECT_NEAR(v.model.Scales()->low, c.low, 1e-3);
    EXPECT_NEAR(v.model.Scales()->high, c.high, 1e-3);
  }
}

TEST(WholeTestModel, ALegendRowMarksTheReferenceWhoseFileAndLimitsTheViewTakes) {
  View v({std::nullopt, 200.0});
  v.model.Open(File(300, {std::nullopt, 250.0}), true);
  v.model.SetLegendRows({{300, 100, 400, 115}, {300, 115, 400, 130}});
  for (const bool reference : {true, false}) {
    EXPECT_TRUE(v.model.MouseDown(350, 120).shown);
    EXPECT_EQ(v.model.Compared().Reference(),
              reference ? std::optional<std::size_t>(1) : std::nullopt);
    EXPECT_EQ(v.model.ShownFile() != nullptr, reference);
    EXPECT_EQ(v.model.Limits().upper, reference ? 250.0 : 200.0);
    // The verdict row judges the file by its own limits and unit, else the recording.
    const auto judged = v.model.Judged({});
    EXPECT_EQ(judged.limits.upper, reference ? 250.0 : 200.0);
    EXPECT_EQ(judged.unit, reference ? ForceUnit::kN : ForceUnit::N);
    EXPECT_EQ(v.model.TextLines()[0].substr(0, 16),
              reference ? "640 Werte in 2 s" : "1.000 Werte in 3");
  }
  EXPECT_FALSE(v.model.MouseDown(350, 140)) << "below the legend: a drag begins";
  EXPECT_EQ(v.model.Open(File(1, {}), false), std::nullopt) << "in its place";
  EXPECT_EQ(v.model.Curves().size(), 1u);
}

TEST(WholeTestModel, TheReadoutAndTheTextLinesFollowTheMouseAndTheZoom) {
  View v;
  const auto box = v.chart.TraceBox();
  const int w = v.chart.Axes().shape2Width;
  EXPECT_TRUE(v.model.MouseMove(v.X(w - 1), box.top + 5).readout);
  EXPECT_EQ(v.model.Readout(), "t = 3,121875 s   F = 99,9");
  EXPECT_TRUE(v.model.MouseMove(v.X(w - 1), box.top - 5).readout) << "above the trace: none";
  EXPECT_EQ(v.model.Readout(), "");
  EXPECT_EQ(v.model.TextLines()[1], "") << "the recording has no file's head";
  v.model.MouseDown(v.X(0), box.top + 5);
  v.model.MouseMove(v.X(w / 2), box.top + 5);
  v.model.MouseUp(v.X(w / 2));
  EXPECT_TRUE(v.model.TextLines()[1].starts_with("Ausschnitt 5")) << v.model.TextLine(1);
  EXPECT_TRUE(v.model.Show(false));
  EXPECT_EQ(v.model.TextLineCount(), 1);
  EXPECT_FALSE(v.model.MouseMove(v.X(0), box.top + 5)) << "hidden: the mouse changes nothing";
  EXPECT_FALSE(v.model.Show(false));
}

} // namespace
} // namespace dynlog
