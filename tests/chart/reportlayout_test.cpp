// The report of a saved test: the lines its head has and only those, each placed on the page once
// and over no other line nor the chart.
#include "chart/reportlayout.h"

#include "support/savedtest.h"

#include <gtest/gtest.h>

#include <map>

namespace dynlog {
namespace {

using Lines = std::map<std::string, std::string>;

TEST(ReportLayout, SaysWhatTheHeadHasAndPlacesEveryLineOnThePage) {
  CsvHead full{{}, 0, true, 0, "KM470 V1.2", "COM3"}, bare{};
  full.test = {ForceUnit::N, {"Feder-0012", "Ute", "A-7", "lang"}, {10.0, 900.0}};
  bare.test.limits.upper = 400.0;
  for (const auto& [head, has, lacks] : std::vector<std::tuple<CsvHead, Lines, Lines>>{
           {full,
            {{"Datum", "08.12.2026 06:00:00"},
             {"Gerät", "KM470 V1.2"},
             {"Prüfer", "Ute"},
             {"Messrate", "100 Werte/s, gemittelt"},
             {"Maximum", "500,0 N bei 1,50 s"},
             {"Untergrenze", "10,0 N"},
             {"Urteil", "i.O."}},
            {{"Grund", ""}}},
           {bare,
            {{"Obergrenze", "400,0 N"}, {"Grund", "Maximum 500,0 N über 400,0 N"}},
            {{"Gerät", ""}, {"Auftrag", ""}, {"Untergrenze", ""}}},
       }) {
    const ReportText text =
        MakeReportText(testsupport::SavedTest(300, 0, 0, head), "m.csv", GermanSeparators());
    Lines all;
    for (const auto& lines : {text.head, text.notes, text.results, text.limits})
      for (const ReportLine& l : lines)
        all[l.label] = l.text;
    for (const auto& [label, value] : has)
      EXPECT_EQ(all[label], value) << label;
    for (const auto& [label, none] : lacks)
      EXPECT_FALSE(all.contains(label)) << label;

    const ReportPageLayout page = LayOutReportPage(text, 1240, 1754, 150);
    std::vector<PixelBox> boxes{page.chart};
    std::map<std::string, int> placed;
    for (const PlacedText& t : page.texts) {
      placed[t.text] += t.right ? 0 : 1; // the verdict beside the title is the second
      EXPECT_TRUE(t.box.left >= 0 && t.box.right <= 1240 && t.box.bottom <= 1754) << t.text;
      for (const PixelBox& b : boxes)
        EXPECT_TRUE(t.right || b.right <= t.box.left || t.box.right <= b.left ||
                    b.bottom <= t.box.top || t.box.bottom <= b.top)
            << t.text;
      boxes.push_back(t.box);
    }
    for (const auto& [label, value] : all)
      EXPECT_TRUE(placed[label] == 1 && placed[value] == 1) << label;
  }
}

} // namespace
} // namespace dynlog
