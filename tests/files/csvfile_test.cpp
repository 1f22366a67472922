// The CSV file: its head, the values with the decimal separator, and the file read back.
#include "files/csvfile.h"
#include "test/results.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace dynlog {
namespace {

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
