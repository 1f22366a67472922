// A test read as a measurement: the chart's scales, the whole test fitted to the chart's columns,
// the results, and the CSV file.
#include "chart/chartscale.h"
#include "chart/wholetest.h"
#include "files/csvfile.h"
#include "test/results.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace dynlog {
namespace {

const NumberSeparators de = GermanSeparators();

TEST(ChartScaleTest, TicksAtRoundStepsOfTheRange) {
  struct Case {
    double low, high;
    int maxTicks, decimals;
    double first, step;
    int count;
  };
  for (const Case& c : std::vector<Case>{
           {-1, 1, 6, 1, -1, 0.5, 5},
           {0, 1202, 6, 0, 0, 500, 3},
           {-12.5, 1234.5, 8, 1, 0, 200, 7},
           {0, 0.004, 6, 0, 0, 1, 1}, // never finer than the unit's last place
           {5, 5, 6, 0, 0, 1, 0},
       }) {
    const AxisTicks t = RoundTicks(c.low, c.high, c.maxTicks, c.decimals);
    EXPECT_DOUBLE_EQ(t.first, c.first) << c.high;
    EXPECT_DOUBLE_EQ(t.step, c.step) << c.high;
    EXPECT_EQ(t.count, c.count) << c.high;
  }
  EXPECT_EQ(SweepCaption(320, de), "1,875 s je Durchlauf (320 Werte/s)");
  EXPECT_EQ(SweepCaption(160, de), "3,75 s je Durchlauf (160 Werte/s)");
  EXPECT_EQ(SweepCaption(10, de), "60 s je Durchlauf (10 Werte/s)");
  EXPECT_EQ(SweepCaption(2.5, de), "240 s je Durchlauf (2,5 Werte/s)");
}

// A pre-trigger's test starts before 0 s: its scale runs from its first time, 0 s among the ticks.
TEST(ChartScaleTest, SecondsScaleFromANegativeFirstTime) {
  EXPECT_EQ(TimeTicks(-0.5, 0.5, 101, 3, de),
            (std::vector<TimeTick>{{0, "-0,5 s"}, {50, "0,0 s"}, {100, "0,5 s"}}));
}

TEST(WholeTestTest, ASingleValueSpikeSurvivesTheFitAnywhere) {
  std::vector<float> values(10000, 1.0f);
  for (const std::size_t at : {0u, 1u, 4999u, 7777u, 9999u}) {
    values[at] = 500.0f;
    const auto columns = FitColumns(values, 380);
    ASSERT_EQ(columns.size(), 380u);
    int spikes = 0;
    for (const ChartColumn& c : columns)
      spikes += c.max == 500.0f;
    EXPECT_EQ(spikes, 1) << at;
    values[at] = -500.0f;
    float lowest = 0;
    for (const ChartColumn& c : FitColumns(values, 380))
      lowest = std::min(lowest, c.min);
    EXPECT_EQ(lowest, -500.0f) << at;
    values[at] = 1.0f;
  }
  // Fewer values than columns spread over the whole width.
  const std::vector<float> three{1, 2, 3};
  const auto sparse = FitColumns(three, 10);
  ASSERT_EQ(sparse.size(), 3u);
  EXPECT_EQ(sparse[1].column, 5);
  EXPECT_EQ(sparse[2].column, 9);
  // Values by their times: a gap of 10 s after the first 100 keeps its width, and the view's
  // columns name the values on either side of it.
  const auto gapAt100 = [](std::uint64_t i) { return i / 10.0 + (i >= 100 ? 10 : 0); };
  const std::vector<float> flat(100 + 100, 1.0f);
  const auto gapped = FitColumns(std::span(flat).subspan(50), 300, 50, gapAt100);
  const auto jump = std::adjacent_find(gapped.begin(), gapped.end(),
                                       [](auto& a, auto& b) { return b.column - a.column > 10; });
  ASSERT_NE(jump, gapped.end());
  EXPECT_EQ(jump->column, 59);             // 9,9 s of 5 .. 29,9 s
  EXPECT_EQ(std::next(jump)->column, 180); // 20 s
  WholeTestView gappedView;
  gappedView.ShowAll(200);
  EXPECT_EQ(gappedView.ValueAt(100, 300, gapAt100), 99u);
  EXPECT_EQ(gappedView.ValueAt(200, 300, gapAt100), 100u);

  WholeTestView view;
  view.ShowAll(10000);
  EXPECT_FALSE(view.ZoomToColumns(5, 5, 401));
  ASSERT_TRUE(view.ZoomToColumns(300, 100, 401));
  EXPECT_EQ(view.From(), 2500u);
  EXPECT_EQ(view.To(), 7500u);
  EXPECT_TRUE(view.Zoomed(10000));
  EXPECT_EQ(view.ValueAt(400, 401), 7499u);
  // Under the mouse: the value and its time; nothing outside the chart or past the values.
  values[7499] = 1234.5f;
  // Its time is the recording's, here after a gap of 4 s.
  const auto secondsOf = [](std::uint64_t i) { return static_cast<double>(i) / 100 + 4; };
  EXPECT_EQ(ReadoutText(view, values, 400, 401, 100, secondsOf, 1, de),
            "t = 78,99 s   F = 1.234,5");
  EXPECT_EQ(ReadoutText(view, values, 401, 401, 100, secondsOf, 1, de), "");
  EXPECT_EQ(ReadoutText(view, std::span(values).first(7000), 0, 401, 100, secondsOf, 1, de), "");
}

TEST(TestResultsTest, FiguresAreTheRecordedValuesRoundedAsTheFileWritesThem) {
  TestResults r;
  EXPECT_EQ(ResultsLine(r, {10, 0, GermanSeparators()}), "");
  // Times as the recording gives them: the fourth value after a gap of 4 s.
  const std::vector<std::pair<float, double>> values{
      {3.0f, 0}, {1202.0f, 0.1}, {-5.0f, 0.2}, {1202.4f, 4.3}, {0.0f, 4.4}};
  for (const auto& [v, t] : values)
    r.Add(v, t);
  r.Add(1202.4f, 4.5); // a later equal maximum keeps the first one's time
  EXPECT_EQ(ResultsLine(r, {10, 0, GermanSeparators()}),
            "6 Werte in 4,6 s   Max. 1.202 bei 4,3 s   Min. -5   Mittel 601");
  EXPECT_EQ(ResultsReport(r, {320, 1, {",", ""}}, {1, 4.0125}),
            "Werte: 6\r\nDauer: 4,503125 s\r\nMaximum: 1202,4 bei 4,300000 s\r\n"
            "Minimum: -5,0 bei 0,200000 s\r\nMittelwert: 600,8\r\n"
            "L\xC3\xBC"
            "cken: 1, zusammen 4,013 s\r\n");
}

TEST(CsvFileTest, HeadThenTimeAndValueWithTheDecimalSeparatorAndNoGrouping) {
  for (const auto& [offset, text] :
       std::vector<std::pair<int, const char*>>{{60, "2026-12-07T19:05:16+01:00"},
                                                {-330, "2026-12-07T19:05:16-05:30"},
                                                {0, "2026-12-07T19:05:16+00:00"}})
    EXPECT_EQ(Iso8601({2026, 12, 7, 19, 5, 16, offset}), text);

  // Without a test description the head leaves its lines empty and the column stays "Wert".
  const std::string program = "# Programm;" + std::string(ProgramNameAndVersion()) + "\r\n";
  const std::string lampColumns = ";Grenzwert 1;Grenzwert 2;Brutto;Netto;Unter- \xC3\x9C"
                                  "berlast;T-Eingang\r\n";
  const CsvHead head{{2026, 3, 1, 8, 0, 9, 60}, 320, false, 0, "KM470 V1.2;x\r", "COM3"};
  const std::vector<float> values{1202, -3, 12345};
  const std::vector<Lamps> lamps{0b000001, 0b100100}; // the third value's are missing: dark
  // The times are the recording's: here a gap of 4 s before the third value.
  const auto secondsOf = [](std::uint64_t i) { return i < 2 ? i / 320.0 : i / 320.0 + 4; };
  EXPECT_EQ(BuildCsvFile(head, {values, lamps, secondsOf}, GermanSeparators()),
            "\xEF\xBB\xBF# Start;2026-03-01T08:00:09+01:00\r\n" + program +
                "# Werte pro Sekunde;320\r\n# Mittelung;nein\r\n"
                "# Dezimalstellen;0\r\n# Ger\xC3\xA4t;\"KM470 V1.2;x\"\r\n# Schnittstelle;COM3\r\n"
                "# Einheit;\r\n# Pr\xC3\xBC"
                "fling;\r\n# Pr\xC3\xBC"
                "fer;\r\n# Auftrag;\r\n"
                "# Bemerkung;\r\n# Untergrenze;\r\n# Obergrenze;\r\nZeit in s;Wert" +
                lampColumns +
                "0,000000;1202;1;0;0;0;0;0\r\n0,003125;-3;0;0;1;0;0;1\r\n"
                "4,006250;12345;0;0;0;0;0;0\r\n");
  const CsvHead slow{{}, 2.5, true, 2, "PT615", "COM1"};
  const std::string text =
      BuildCsvFile(slow, {std::vector<float>{1.5f}, {}, secondsOf}, {".", ","});
  EXPECT_NE(text.find("# Werte pro Sekunde;2.5\r\n# Mittelung;ja\r\n# Dezimalstellen;2"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n0.0;1.50;0;0;0;0;0;0\r\n"), std::string::npos);
  // Read back to show it again: the values, times and lamps as written, a stream's end lines and
  // a last line cut short passed over.
  const CsvTest back =
      ReadCsvTest(BuildCsvFile(head, {values, lamps, secondsOf}, {".", ""}) + "# Ende;x\r\n4,1;7");
  EXPECT_EQ(back.values, values);
  EXPECT_EQ(back.seconds, (std::vector<double>{0, 0.003125, 4.00625}));
  EXPECT_EQ(back.lamps, (std::vector<Lamps>{0b000001, 0b100100, 0}));
  const auto pre = [](std::uint64_t i) { return (i - 1.0) / 320; }; // a pre-trigger's times
  EXPECT_EQ(ReadCsvTest(BuildCsvFile(head, {std::vector<float>{1, 2}, {}, pre}, {".", ""})).seconds,
            (std::vector<double>{-0.003125, 0}));

  // A described test: the person's texts kept on their line and in their column, the limits
  // at the unit's decimals; a saved file's summary before the column names, a stream's after its
  // values. The end runs across midnight and the year's end.
  TestResults results;
  results.Add(940.26f, 0.5);
  results.Add(-2.0f, 1.0);
  CsvHead test{{2026, 12, 31, 23, 59, 58, 60}, 10, false, 1, "KM470", "COM2"};
  test.test = {ForceUnit::N,
               {"Feder;0012", "M\xC3\xBCller", "A-7", "zweite\r\nZeile "},
               {std::nullopt, 900}};
  const CsvSummary summary{AddSeconds(test.start, 2.1), results,
                           JudgeMaximum(results.Max(), test.test.limits, 1)};
  EXPECT_EQ(CsvSummaryText(test, summary, GermanSeparators()),
            "# Ende;2027-01-01T00:00:00+01:00\r\n# Werte;2\r\n# Dauer in s;1,1\r\n"
            "# Maximum;940,3\r\n# Minimum;-2,0\r\n# Mittelwert;469,1\r\n# Urteil;n.i.O.\r\n"
            "# Grund;Maximum 940,3 N \xC3\xBC"
            "ber 900,0 N\r\n");
  EXPECT_NE(CsvHeadText(test, GermanSeparators())
                .find("# Einheit;N\r\n# Pr\xC3\xBC"
                      "fling;\"Feder;0012\"\r\n# Pr\xC3\xBC"
                      "fer;M\xC3\xBCller\r\n# Auftrag;A-7\r\n# Bemerkung;\"zweite Zeile \"\r\n"
                      "# Untergrenze;\r\n# Obergrenze;900,0\r\nZeit in s;Kraft in N;"),
            std::string::npos);
  test.summary = summary;
  EXPECT_NE(CsvHeadText(test, GermanSeparators()).find("# Obergrenze;900,0\r\n# Ende;"),
            std::string::npos);
  EXPECT_EQ(Iso8601(AddSeconds({2028, 2, 28, 23, 0, 0, -300}, 3600)), "2028-02-29T00:00:00-05:00");

  for (const auto& [name, csv] : std::vector<std::pair<const char*, bool>>{{"a.csv", true},
                                                                           {"C:\\A.CSV", true},
                                                                           {"a.txt", false},
                                                                           {"csv", false},
                                                                           {".csvx", false}})
    EXPECT_EQ(IsCsvName(name), csv) << name;
}

} // namespace
} // namespace dynlog
