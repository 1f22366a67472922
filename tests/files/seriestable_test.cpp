#include "files/reader.h"
#include "files/recordinghead.h"
#include "files/seriestable.h"
#include "test/recording.h"

#include <gtest/gtest.h>

#include <vector>

namespace dynlog {
namespace {

TEST(SeriesTable, StatisticsOverTheMaximaAgainstHandWorkedFigures) {
  SeriesTable table;
  EXPECT_EQ(table.Statistics({90, 110}).deviation, std::nullopt);
  // Maxima 98, 100, 102, 104: mean 101, squares 9 + 1 + 1 + 9 = 20, s = sqrt(20 / 3) = 2,58199;
  // Cpk = min(110 - 101, 101 - 90) / (3 s) = 9 / 7,74597 = 1,16190.
  for (const double maximum : {98.0, 104.0, 100.0, 102.0}) {
    SeriesRow row;
    row.number = table.NextNumber();
    row.maximum = maximum;
    row.verdict = maximum > 103 ? "n.i.O." : "i.O.";
    table.Add(row);
  }
  const SeriesStatistics s = table.Statistics({90, 110});
  EXPECT_EQ(s.count, 4u);
  EXPECT_EQ(s.passed, 3u);
  EXPECT_EQ(s.failed, 1u);
  EXPECT_DOUBLE_EQ(s.mean, 101);
  EXPECT_EQ(s.minimum, 98);
  EXPECT_EQ(s.maximum, 104);
  EXPECT_NEAR(*s.deviation, 2.58199, 1e-5);
  EXPECT_NEAR(*s.cpk, 1.16190, 1e-5);
  EXPECT_NEAR(*table.Statistics({100.5, 200}).cpk, 0.5 / 7.74597, 1e-5) << "the nearer limit";
  EXPECT_EQ(table.Statistics({std::nullopt, 110}).cpk, std::nullopt) << "needs both limits";
  EXPECT_EQ(SeriesStatisticsText(s, 1, ForceUnit::N, GermanSeparators()),
            "4 Tests \xC2\xB7 3 i.O. \xC2\xB7 1 n.i.O. \xC2\xB7 Maxima: Mittel 101,0 N, s 2,58 N, "
            "kleinstes 98,0 N, gr\xC3\xB6\xC3\x9F"
            "tes 104,0 N \xC2\xB7 Cpk 1,16");
  EXPECT_EQ(table.NextNumber(), 5);
  SeriesRow failed{3,
                   {2026, 12, 7, 9, 5, 7, 60},
                   "P-3",
                   940.26,
                   0,
                   12.5,
                   1,
                   ForceUnit::N,
                   2.5,
                   "n.i.O.",
                   "Maximum 940,3 N \xC3\xBC"
                   "ber 900,0 N",
                   "P-3_0003.csv"};
  EXPECT_EQ(SeriesRowCells(failed, GermanSeparators()),
            (std::vector<std::string>{"3", "09:05:07", "P-3", "940,3 N", "0,0 N", "12,5 N", "2,500",
                                      "n.i.O. (Maximum 940,3 N \xC3\xBC"
                                      "ber 900,0 N)"}));
}

TEST(SeriesTable, FileRowsReadBackAndALineCutShortIsNoRow) {
  SeriesRow row{7,
                {2026, 12, 7, 10, 0, 5, 60},
                "Feder;0012",
                940.3,
                -2,
                469.1,
                1,
                ForceUnit::N,
                2.5,
                "n.i.O.",
                "Maximum 940,3 N \xC3\xBC"
                "ber 900,0 N",
                "Feder0012_0007.csv"};
  const std::string head = SeriesHeadText({2026, 12, 7, 9, 0, 0, 60});
  const std::string line = SeriesRowText(row, {",", "."});
  EXPECT_EQ(line, "7;2026-12-07T10:00:05+01:00;\"Feder;0012\";940,3;-2,0;469,1;N;2,500;n.i.O.;"
                  "Maximum 940,3 N \xC3\xBC"
                  "ber 900,0 N;Feder0012_0007.csv\r\n");
  // A power failure during the second row's write: its part is there without its line end.
  const std::string file = head + line + line.substr(0, 20);
  const SeriesFileContent content = ReadSeriesFile(file);
  EXPECT_TRUE(content.headed);
  EXPECT_EQ(content.wholeBytes, head.size() + line.size());
  ASSERT_EQ(content.rows.size(), 1u);
  EXPECT_EQ(content.rows[0].number, 7);
  EXPECT_EQ(content.rows[0].maximum, 940.3);
  EXPECT_EQ(content.rows[0].decimals, 1);
  EXPECT_TRUE(content.rows[0].Failed());
  EXPECT_EQ(SeriesRowText(content.rows[0], {",", ""}), line) << "read back as written";
  EXPECT_EQ(ReadSeriesFile(head.substr(0, 10)).rows.size(), 0u);

  EXPECT_EQ(SeriesTestFileName("Feder/12?", 7), "Feder_12__0007.csv");
  EXPECT_EQ(SeriesTestFileName(" ", 12, 1), "Test_0012 (2).csv");
}

// A person's text as one field (RFC 4180) in a test's head and a series' row, read back as it was.
TEST(SeriesTable, AwkwardTextsAreQuotedInTheTestsHeadAndTheSeriesRowAndReadBack) {
  for (const auto& [text, field] : {std::pair{"Charge #12", "\"Charge #12\""},
                                    {"\"Riss am Rand", "\"\"\"Riss am Rand\""},
                                    {"A;7", "\"A;7\""},
                                    {"3\" lang", "\"3\"\" lang\""},
                                    {" Rand ", "\" Rand \""}}) {
    CsvHead head{{2026, 12, 8, 9, 0, 0, 60}, 10, false, 1, "KM470", "COM2"};
    head.test.trace = {text, "", "", text};
    const std::string file = CsvHeadText(head, GermanSeparators());
    EXPECT_NE(file.find("# Bemerkung;" + std::string(field) + "\r\n"), std::string::npos) << text;
    const TestTrace back = ReadTestBytes(file, GermanSeparators()).head.test.trace;
    EXPECT_EQ(back.part + back.comment, std::string(text) + text);
    const std::string line = SeriesRowText(SeriesRow{1, {}, text}, {",", ""});
    EXPECT_EQ(ReadSeriesFile(SeriesHeadText({}) + line).rows.at(0).part, text);
  }
}

// Checked before a test: a reihe.csv that is no series, a part too long for its file's name.
TEST(SeriesTable, RefusesBeforeATestAListThatIsNoSeriesAndAPartTooLongForItsFile) {
  EXPECT_FALSE(SeriesListRefusal(SeriesHeadText({}) + "3;2026-12-0", "S\\reihe.csv"));
  EXPECT_TRUE(SeriesListRefusal("Zeit in s;Wert\r\n0,0;1\r\n", "S\\reihe.csv"));
  // "_0001 (100).csv" is 15 units: 40 are left for the part in `deep`; 255 is the name's limit.
  const std::string deep = "C:\\" + std::string(200, 'f'), p40(40, 'p');
  std::string ue; // 40 units: "ü" is one
  for (int i = 0; i < 40; ++i)
    ue += "\xC3\xBC";
  for (const auto& [folder, part, refused] : {std::tuple{deep, p40, false},
                                              {deep, p40 + "p", true},
                                              {deep + "\\", ue, false},
                                              {deep, ue + "p", true},
                                              {"C:\\", std::string(241, 'p'), true}})
    EXPECT_EQ(SeriesPartRefusal(folder, part, 1).has_value(), refused) << folder.size() << part;
  EXPECT_TRUE(SeriesPartRefusal(deep, p40 + "p", 1)
                  ->ends_with("Dateinamen (hier h\xC3\xB6"
                              "chstens 40 Zeichen)"));
}

} // namespace
} // namespace dynlog
