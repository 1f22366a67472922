// A batch through the measurement window, rendered as the screen shows it: the limit lines in
// the chart, the verdict beside the value display at every scale, and the series table whose rows
// show a test's whole curve again.
#include "app/application.h"
#include "files/descriptionsettings.h"
#include "link/ucom.h"
#include "picture.h"
#include "uitest.h"
#include "window/serieswindow.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>
#include <tuple>

using testsupport::Picture;
using testsupport::PumpFor;

namespace {

constexpr COLORREF kLimit = RGB(224, 0, 0), kFail = RGB(192, 0, 0), kPass = RGB(0, 128, 0);

// The longest run of limit-coloured pixels in one row of the chart.
int LongestLimitRow(const Picture& picture, const dynlog::ForceChart::Box& box) {
  int longest = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    int count = 0;
    for (int x = box.left; x < box.right; ++x)
      count += picture.At(x, y) == kLimit;
    longest = std::max(longest, count);
  }
  return longest;
}

// Where a control lies in its window's client area, in the screen's pixels.
RECT Area(const ui::Control& control) {
  RECT r;
  GetWindowRect(control.Handle(), &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control.Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

} // namespace

TEST(Series, ThreeTestsAreJudgedSavedAndShownAgainFromTheirTable) {
  testsupport::TempWorkDir dir;
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  app.fkm470d.RadioButton320.SetChecked(true);
  w.FirstStart = false; // Start connects no more
  w.DecimalPlaces = 1;
  w.DescribeTest({dynlog::ForceUnit::N, {"P-001", "Ute", "", ""}, {std::nullopt, 100.0}});
  w.OpenSeries(dir.Path() + "\\Reihe");
  const auto box = w.Chart().TraceBox();
  const double peaks[] = {90, 120, 95};
  for (const double peak : peaks) {
    w.Button1Click();
    for (int i = -32; i < 400; ++i) // the first 32 frames are skipped
      w.HandleFrame({i == 200 ? peak : (std::max(i, 0) % 100) / 2.0, 0xC0});
    PumpFor(30);
    EXPECT_GT(LongestLimitRow(Picture(w.Handle()), box), (box.right - box.left) / 2)
        << "the limit line across the sweep";
    w.Button2Click();
    PumpFor(30);
    const bool failed = peak > 100;
    EXPECT_EQ(w.VerdictLabel.Text(), failed ? "n.i.O." : "i.O.");
    EXPECT_EQ(w.ReasonLabel.Text(), failed ? "Maximum 120,0 N \xC3\xBC"
                                             "ber 100,0 N"
                                           : "Maximum h\xC3\xB6"
                                             "chstens 100,0 N");
    EXPECT_EQ(Picture(w.Handle()).Colours(Area(w.VerdictLabel))[0].first, failed ? kFail : kPass);
  }
  EXPECT_EQ(w.Label3.Text(), "F in N");
  EXPECT_EQ(dynlog::ReadTestDescription(km470::Settings(dir.Path() + "\\km470.ini")).trace.part,
            "P-004");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "\\Reihe\\P-002_0002.csv"));

  SeriesWindow& table = *w.SeriesTableWindow();
  ASSERT_EQ(table.Table.RowCount(), 3);
  EXPECT_TRUE(table.Statistics.Text().starts_with("3 Tests \xC2\xB7 2 i.O. \xC2\xB7 1 n.i.O. "));
  table.Table.Select(1); // the failed test's whole curve, its limit line and peak above it
  PumpFor(30);
  ASSERT_TRUE(w.WholeTest().Shown());
  EXPECT_EQ(w.WholeTest().Range().To(),
            static_cast<std::size_t>(w.CurrentRecording().SampleCount()));
  EXPECT_GT(LongestLimitRow(Picture(w.Handle()), box), (box.right - box.left) / 2);

  // The verdict row grows with the scale and never covers the digits or the unit; the table's
  // columns grow with it.
  RECT first;
  GetWindowRect(table.Handle(), &first);
  for (const int dpi : {144, 192, 96}) {
    SCOPED_TRACE(dpi);
    for (const auto& [window, width, height] :
         {std::tuple{w.Handle(), 450, 340},
          {table.Handle(), int(first.right - first.left), int(first.bottom - first.top)}}) {
      RECT suggested{0, 0, MulDiv(width, dpi, 96), MulDiv(height, dpi, 96)};
      SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    }
    PumpFor(30);
    EXPECT_EQ(SendMessageW(table.Table.Handle(), LVM_GETCOLUMNWIDTH, 2, 0), MulDiv(100, dpi, 96));
    const RECT verdict = Area(w.VerdictLabel);
    for (const ui::Label* l : {&w.Label1, &w.UnitLabel, &w.ReasonLabel}) {
      RECT both, other = Area(*l);
      EXPECT_FALSE(IntersectRect(&both, &verdict, &other));
    }
    EXPECT_GT(Picture(w.Handle()).Colours(verdict)[0].second,
              (verdict.right - verdict.left) * (verdict.bottom - verdict.top) / 2);
  }
  ucom::ComClose();
}
