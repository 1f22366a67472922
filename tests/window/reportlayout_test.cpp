// The report of a saved test: the lines its head has and only those, every line placed on the
// page without overlap, and the chart's trace where the values say.
#include "window/reportlayout.h"
#include "window/testchart.h"

#include "support/savedtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace dynlog {
namespace {

std::map<std::string, std::string> Lines(const std::vector<ReportLine>& lines) {
  std::map<std::string, std::string> out;
  for (const ReportLine& l : lines)
    out[l.label] = l.text;
  return out;
}

TEST(ReportLayout, SaysWhatTheHeadHasAndPlacesEveryLineOnThePage) {
  CsvHead full{{2026, 12, 8, 6, 0, 5, 60}, 0, true, 0, "KM470 V1.2", "COM3"};
  full.test = {ForceUnit::N, {"Feder-0012", "Ute", "A-7", "lang"}, {10.0, 900.0}};
  CsvHead bare{};
  bare.test.limits.upper = 400.0;
  struct Case {
    const char* name;
    CsvHead head;
    std::map<std::string, std::string> has; // label: text ("" for any)
    std::vector<std::string> lacks;
  };
  for (const Case& c : std::vector<Case>{
           {"every field, passed",
            full,
            {{"Datum", "08.12.2026 06:00:05"},
             {"Ger\xC3\xA4t", "KM470 V1.2"},
             {"Schnittstelle", "COM3"},
             {"Messrate", "100 Werte/s, gemittelt"},
             {"Pr\xC3\xBC"
              "fer",
              "Ute"},
             {"Bemerkung", "lang"},
             {"Maximum", "500,0 N bei 1,50 s"},
             {"Untergrenze", "10,0 N"},
             {"Urteil", "i.O."}},
            {"Grund", "Grenzen"}},
           {"a bare head, failed",
            bare,
            {{"Programm", ""},
             {"Obergrenze", "400,0 N"},
             {"Grund", "Maximum 500,0 N \xC3\xBC"
                       "ber 400,0 N"}},
            {"Ger\xC3\xA4t", "Auftrag", "Untergrenze", "Zeiten"}},
       }) {
    const OpenedTest test = testsupport::SavedTest(testsupport::LoadWithSpike(300, 0, 0), c.head);
    const ReportText text = MakeReportText(test, "m.csv", GermanSeparators());
    auto all = Lines(text.head);
    all.merge(Lines(text.results));
    all.merge(Lines(text.limits));
    for (const auto& [label, value] : c.has) {
      ASSERT_TRUE(all.contains(label)) << c.name << ": " << label;
      EXPECT_TRUE(value.empty() || all[label] == value) << c.name << ": " << all[label];
    }
    for (const std::string& label : c.lacks)
      EXPECT_FALSE(all.contains(label)) << c.name << ": " << label;

    // On A4 at 150 DPI: every label and text is placed once, inside the page, none over another
    // or over the chart.
    const ReportPageLayout page = LayOutReportPage(text, 1240, 1754, 150);
    std::vector<PixelBox> boxes{page.chart};
    for (const auto& lines : {text.head, text.results, text.limits})
      for (const ReportLine& l : lines)
        for (const std::string* s : {&l.label, &l.text})
          EXPECT_TRUE(std::ranges::any_of(page.texts, [&](const PlacedText& t) {
            return t.text == *s;
          })) << *s;
    for (const PlacedText& t : page.texts) {
      EXPECT_TRUE(t.box.left >= 0 && t.box.right <= 1240 && t.box.bottom <= 1754) << t.text;
      if (t.style == ReportStyle::Pass || t.style == ReportStyle::Fail)
        continue; // beside the title, in the same line
      for (const PixelBox& b : boxes)
        EXPECT_TRUE((b.right <= t.box.left || t.box.right <= b.left || b.bottom <= t.box.top ||
                     t.box.bottom <= b.top))
            << t.text;
      boxes.push_back(t.box);
    }
  }
}

TEST(ReportLayout, TheTraceReachesTheValuesRowsAtTheirTimes) {
  struct Case {
    std::size_t spikeAt;
    ForceLimits limits;
  };
  for (const Case& c : {Case{0, {}}, Case{150, {}}, Case{299, {}}, Case{150, {-100.0, 2000.0}}}) {
    const OpenedTest test =
        testsupport::SavedTest(testsupport::LoadWithSpike(300, c.spikeAt, 1000), {});
    const TestChartLayout chart = LayOutTestChart(test.values, c.limits, 1200, 675, 150);
    const ChartAxes& a = chart.axes;
    const auto top = std::ranges::min_element(chart.trace, {}, &ChartPoint::y);
    const auto bottom = std::ranges::max_element(chart.trace, {}, &ChartPoint::y);
    // The spike's column: its time across the axis from the first value's to the last's.
    EXPECT_EQ(top->x, a.shape2Left + 2 + RoundHalfEven(c.spikeAt * (a.shape2Width - 1) / 299.0));
    EXPECT_EQ(top->y, ChartRow(a, chart.low, chart.high, 1000));
    EXPECT_EQ(bottom->y, ChartRow(a, chart.low, chart.high, test.values.Results().Min()));
    EXPECT_EQ(chart.upperRow.has_value(), c.limits.upper.has_value());
    if (!c.limits.Any()) {
      EXPECT_EQ(top->y, a.shape1Top - 1) << "the maximum at the scale's top";
      EXPECT_EQ(bottom->y, a.shape2Top - 1) << "the minimum on the time axis";
    } else {
      EXPECT_EQ(*chart.upperRow, a.shape1Top - 1) << "a limit outside the values still shows";
      EXPECT_EQ(*chart.lowerRow, a.shape2Top - 1);
    }
  }
}

} // namespace
} // namespace dynlog
