// A batch through the window with km470sim playing pull tests: Start arms, each test starts at
// the threshold with the half second before it and ends at its break, is saved into the series
// and the next one is armed by itself; the held peak stays in view until it is reset.
#include "app/application.h"
#include "base/messageloop.h"
#include "link/ucom.h"
#include "simulatedunit.h"
#include "testfiles.h"
#include "uitest.h"

#include <gtest/gtest.h>

#include <algorithm>

using testsupport::PumpFor;

namespace {

std::string PeakText(float peak) {
  return "Max. " + dynlog::FormatNumber(peak, 1, 11, dynlog::GermanSeparators());
}

// Pull tests from above 50 N, with `pre` seconds before it, to the break at 40 % of a peak of at
// least 200 N, each armed again by itself.
dynlog::ConditionSettings PullTests(double pre) {
  dynlog::ConditionSettings settings;
  settings.conditions.start = {dynlog::StartCondition::Kind::ForceAbove, 50, pre};
  settings.conditions.stop.breakPercent = 40;
  settings.conditions.stop.breakMinPeak = 200;
  settings.conditions.rearm = true;
  return settings;
}

// The measurement window on km470sim's pull tests, in a folder of its own.
struct PullTestBench : ::testing::Test {
  PullTestBench() {
    base::TakeQuit(); // an earlier test's main window, closed: a modal loop would end on it
    w.Show();
  }
  testsupport::TempWorkDir dir;
  testsupport::SimulatedUnit unit{{.port = 2, .pull = true}};
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  const dynlog::Recording& r = w.CurrentRecording();
};

} // namespace

TEST_F(PullTestBench, ABatchStartsAndEndsByItselfAtTheBreakAndHoldsThePeak) {
  dynlog::ConditionSettings settings = PullTests(0.5);
  w.TakeConditions(settings);
  w.OpenSeries(dir.Path() + "\\Reihe");
  const auto rows = [&] { return w.Series()->Table().Rows().size(); };
  const auto until = [](const std::function<bool()>& done) { // a hang guard only
    base::WaitFor(base::MonotonicMs() + 30000, done);
  };

  w.Button1.Click();
  EXPECT_TRUE(w.StatusLabel.Text().starts_with("Wartet auf Ausl\xC3\xB6sung"))
      << w.StatusLabel.Text();
  // A rest of at least 700 frames comes first: shown, not recorded.
  until([&] { return r.FrameCount() >= 160; });
  EXPECT_TRUE(r.Armed());
  EXPECT_EQ(r.SampleCount(), 0);
  EXPECT_NE(w.PeakLabel.Text(), "");

  // Two tests by themselves: the window reset the held peak once by a click, once by the key.
  for (std::size_t test = 1; test <= 2; ++test) {
    SCOPED_TRACE(test);
    until([&] { return rows() == test; });
    ASSERT_EQ(rows(), test);
    const dynlog::CsvTest saved = dynlog::ReadCsvTest(
        testsupport::ReadFile(w.Series()->FileOf(w.Series()->Table().Rows().back())));
    ASSERT_GT(saved.values.size(), 6u);
    const auto& s = saved.seconds;
    const auto& v = saved.values;
    const std::size_t zero = std::find(s.begin(), s.end(), 0.0) - s.begin();
    EXPECT_DOUBLE_EQ(s.front(), -0.5);
    ASSERT_EQ(zero, 5u) << "the half second before it at 10 values a second";
    EXPECT_TRUE(v[zero - 1] <= 50 && v[zero] > 50) << v[zero - 1] << " " << v[zero];
    // The peak is the unit's, of every frame: at least the highest row, and the break is below
    // 40 % of it at the last row or just after it.
    const auto peak = static_cast<float>(w.Series()->Table().Rows().back().maximum);
    EXPECT_GE(peak, *std::max_element(v.begin(), v.end()));
    EXPECT_GE(peak, 200);
    EXPECT_GE(v[v.size() - 2], 0.4 * peak) << "ends at the break";
    // Armed again, the ended test's peak in view.
    EXPECT_TRUE(r.Armed());
    EXPECT_TRUE(w.StatusLabel.Text().starts_with("Wartet")) << w.StatusLabel.Text();
    EXPECT_EQ(w.PeakLabel.Text(), PeakText(peak));
    if (test == 1) {
      SendMessageW(w.PeakLabel.Handle(), WM_LBUTTONUP, 0, 0);
    } else {
      SetActiveWindow(w.Handle());
      SetFocus(w.Button1.Handle());
      PostMessageW(GetFocus(), WM_KEYDOWN, 'M', 0);
      PumpFor(50);
    }
    EXPECT_LT(r.HeldPeak().value_or(0), 50) << "reset to the rest since";
  }

  // Without re-arming the next test ends as Stop does: the unit is told to stop, Save waits.
  settings.conditions.rearm = false;
  w.TakeConditions(settings);
  w.Button1.Click();
  until([&] { return rows() == 3; });
  ASSERT_EQ(rows(), 3u);
  PumpFor(300);
  EXPECT_EQ(w.EndLabel.Text(), "Ende: Bruch bei 40 % des Maximums");
  EXPECT_TRUE(w.StatusLabel.Text().starts_with("Gestoppt \xC2\xB7 ")) << w.StatusLabel.Text();
  EXPECT_TRUE(w.BitBtnSpeichern.Enabled());
  EXPECT_EQ(w.PeakLabel.Text(), PeakText(r.Results().Max()));
  EXPECT_EQ(unit.LogLines().back(), "stop");
  w.Close();
}
