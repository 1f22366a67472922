// A test traced and judged, and a series of them: the verdict on the maximum, the part number's
// counting, the lamps a value keeps, the series table's statistics and its file after a crash.
#include "files/reader.h"
#include "files/recordinghead.h"
#include "files/seriestable.h"
#include "test/recording.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>

namespace dynlog {
namespace {

TEST(Verdict, JudgesTheMaximumAtTheUnitsDecimalsOnAndAroundEachLimit) {
  const ForceLimits both{10, 900}, upper{std::nullopt, 900}, fine{std::nullopt, 900.04};
  const struct {
    float maximum;
    ForceLimits limits;
    int decimals;
    VerdictOutcome outcome;
  } cases[] = {
      {900.0f, both, 1, VerdictOutcome::Pass},      // on the upper limit
      {899.9f, both, 1, VerdictOutcome::Pass},      // just under it
      {900.1f, both, 1, VerdictOutcome::FailHigh},  // just over it
      {900.04f, both, 1, VerdictOutcome::Pass},     // shown as 900,0
      {900.05f, both, 1, VerdictOutcome::FailHigh}, // shown as 900,1, whatever the float holds
      {10.0f, both, 1, VerdictOutcome::Pass},       // on the lower limit
      {10.1f, both, 1, VerdictOutcome::Pass},
      {9.9f, both, 1, VerdictOutcome::FailLow},
      {-5.0f, upper, 1, VerdictOutcome::Pass}, // no lower limit
      {900.0f, fine, 1, VerdictOutcome::Pass}, // the limit too is taken at the unit's decimals
      {900.4f, upper, 0, VerdictOutcome::Pass},
      {900.5f, upper, 0, VerdictOutcome::FailHigh},
      {0.901f, {std::nullopt, 0.9}, 3, VerdictOutcome::FailHigh},
      {900.0f, {}, 1, VerdictOutcome::None}, // no limits, no verdict
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeMaximum(c.maximum, c.limits, c.decimals).outcome, c.outcome)
        << c.maximum << " at " << c.decimals;
  EXPECT_EQ(JudgeMaximum(std::nullopt, both, 1).outcome, VerdictOutcome::None) << "no values";

  const NumberSeparators plain{",", ""};
  const Verdict high = JudgeMaximum(940.26f, upper, 1);
  EXPECT_EQ(VerdictLine(high, 1, ForceUnit::N, plain), "Urteil: n.i.O. (Maximum 940,3 N \xC3\xBC"
                                                       "ber 900,0 N)");
  EXPECT_EQ(VerdictReason(JudgeMaximum(9.0f, both, 1), 1, ForceUnit::None, plain),
            "Maximum 9,0 unter 10,0");
  EXPECT_EQ(VerdictLine(JudgeMaximum(20.0f, both, 0), 0, ForceUnit::kg, plain), "Urteil: i.O.");

  // The command line's limits: either side may be empty, never both, and never crossed.
  EXPECT_EQ(LimitsFromText(":900"), upper);
  EXPECT_EQ(LimitsFromText("-1,5:2.25"), (ForceLimits{-1.5, 2.25}));
  EXPECT_EQ(LimitsFromText("10:"), (ForceLimits{10, std::nullopt}));
  for (const char* bad : {":", "900", "10:5", "1e3:", "a:b", ":9.", "::5", ":-"})
    EXPECT_FALSE(LimitsFromText(bad)) << bad;
  // A field shows a figure as it was typed, and reads it back unchanged.
  for (const double figure : {900.0, -1.5, 0.1, 123456.789})
    EXPECT_EQ(LimitFromText(FigureAsTyped(figure)), figure) << FigureAsTyped(figure);
  EXPECT_EQ(FigureAsTyped(-1.5), "-1,5");
  for (const auto& [limits, text] : {std::pair{both, "Maximum 10,0 N bis 900,0 N"},
                                     {upper, "Maximum h\xC3\xB6"
                                             "chstens 900,0 N"},
                                     {ForceLimits{10, std::nullopt}, "Maximum mindestens 10,0 N"},
                                     {ForceLimits{}, ""}})
    EXPECT_EQ(LimitsText(limits, 1, ForceUnit::N, plain), text);
  EXPECT_EQ(ForceUnitFromText("lbf"), ForceUnit::lbf);
  EXPECT_FALSE(ForceUnitFromText("G")) << "gram and the unit G are not the same";
}

TEST(PartNumber, CountsUpItsLastDigitsKeepingLeadingZeros) {
  for (const auto& [part, next] : {std::pair{"Feder-0012", "Feder-0013"},
                                   {"Feder-0019", "Feder-0020"},
                                   {"Feder-0999", "Feder-1000"},
                                   {"9999", "10000"},
                                   {"P7-99", "P7-100"},
                                   {"Feder", "Feder"},
                                   {"12a", "12a"},
                                   {"", ""}})
    EXPECT_EQ(NextPartNumber(part), next) << part;
}

TEST(Recording, KeepsEachValuesLampsAndCountsThePartUpOnceItIsSaved) {
  auto r = std::make_unique<Recording>();
  TestDescription d{ForceUnit::N, {"Feder-0012", "Ute", "", ""}, {std::nullopt, 5}};
  r->Describe(d);
  r->Start({SampleRate::Hz160, true, 19200, 1, "COM3", ""}, {2026, 12, 7, 10, 0, 0, 60});
  // Page 0 sets limits 1 and 2, page 1 (0x20) gross, net and overload; 0x04 is the trigger.
  // After the 32 frames skipped first (not averaged here), every second frame is kept, averaged
  // with the one before it.
  for (int i = 0; i < 32; ++i)
    r->TakeFrame(0, {SampleRate::Hz160, false, 19200}, 0);
  const std::uint8_t frames[] = {0x08, 0x20, 0x24, 0x30, 0x00, 0x00};
  for (const std::uint8_t status : frames)
    r->TakeFrame(6, {SampleRate::Hz160, true, 19200}, status);
  ASSERT_EQ(r->SampleCount(), 3);
  EXPECT_EQ(r->ValueLamps()[0], 0b000001); // limit 1
  EXPECT_EQ(r->ValueLamps()[1], 0b100101); // and gross, and the trigger of one frame of two
  EXPECT_EQ(r->ValueLamps()[2], 0b010101); // limit 1 of the first frame, overload of both
  EXPECT_EQ(r->LampsNow(), 0b010100);

  // Over the limit of 5: the verdict; the results line names the unit.
  r->Stop();
  EXPECT_TRUE(r->CurrentVerdict().Failed());
  EXPECT_EQ(ResultsLine(r->Results(), r->Format(GermanSeparators())),
            "3 Werte in 0,01875 s   Max. 6,0 N bei 0 s   Min. 6,0 N   Mittel 6,0 N   (Max./Min. "
            "aus 320 Werten/s)")
      << "averaged: the frames' extremes, which the values need not hold";
  // Corrected after Stop, before saving: the recording takes it.
  d.limits = {std::nullopt, 6};
  r->Describe(d);
  EXPECT_EQ(r->CurrentVerdict().outcome, VerdictOutcome::Pass);
  r->MarkSaved();
  r->MarkSaved();
  EXPECT_EQ(r->NextDescription().trace.part, "Feder-0013") << "once per test";
  EXPECT_EQ(r->Description().trace.part, "Feder-0012");
  // A saved test keeps what it was saved with; the next Start takes the counted number.
  d.trace.comment = "neu";
  r->Describe(d);
  EXPECT_EQ(r->Description().trace.comment, "");
  r->Start({SampleRate::Hz160, true, 19200, 1, "COM3", ""}, {});
  EXPECT_EQ(r->Description().trace.part, "Feder-0012") << "the person typed it again";
  EXPECT_EQ(CsvHeadOf(*r, r->Results()).summary->results.Count(), 0u);
}

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
