#include "app/recordargs.h"
#include "app/silencewatch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

using dynlog::ParseRecordArgs;
using dynlog::SampleRate;

TEST(RecordArgs, TakesEveryOptionAndRefusesMistakesInGerman) {
  std::string error;
  auto a = ParseRecordArgs({"--record", "2.5", "--output", "m.txt", "--rate", "2,5", "--average",
                            "--screenshot", "s.bmp"},
                           error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->seconds, 2.5);
  EXPECT_EQ(a->output, "m.txt");
  EXPECT_EQ(a->rate, SampleRate::Hz2_5);
  EXPECT_TRUE(a->average);
  EXPECT_EQ(a->screenshot, "s.bmp");

  // Look like devices only: Windows reserves COM1 to COM9, not com10.
  for (const char* file : {"console.txt", "comx", "com2\\aux-1.txt", "com10.csv", "lpt0", "conin"})
    EXPECT_TRUE(ParseRecordArgs({"--stream", file}, error)) << file;

  // The name Windows will really write, so the form follows it: trailing points and blanks go.
  EXPECT_EQ(ParseRecordArgs({"--stream", "x.csv. "}, error)->output, "x.csv");
  a = ParseRecordArgs(
      {"--record", "1", "--output", "d\\m.csv.", "--screenshot", "b.bmp ", "--overwrite"}, error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->output, "d\\m.csv");
  EXPECT_EQ(a->screenshot, "b.bmp");
  EXPECT_TRUE(a->overwrite);
  EXPECT_EQ(ParseRecordArgs({"--stream", "d\\.."}, error)->output, "d\\..");

  for (const auto& [path, folder] :
       {std::pair{"a.csv", ""}, std::pair{"C:\\m\\a.csv", "C:\\m"}, std::pair{"C:\\a.csv", "C:\\"},
        std::pair{"s/t/a.csv", "s/t"}, std::pair{"\\a.csv", "\\"}})
    EXPECT_EQ(dynlog::ContainingFolder(path), folder) << path;

  for (const auto& [text, seconds] : {std::pair{"86400", 86400.0}, std::pair{"1,5", 1.5}})
    EXPECT_EQ(ParseRecordArgs({"--record", text, "--output", "m"}, error)->seconds, seconds);

  a = ParseRecordArgs({"--stream", "s.txt", "--rate", "320", "--overwrite"}, error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->mode, dynlog::RecordArgs::Mode::Stream);
  EXPECT_EQ(a->output, "s.txt");
  EXPECT_EQ(a->seconds, 0) << "until it is ended";
  EXPECT_TRUE(a->overwrite);
  EXPECT_EQ(ParseRecordArgs({"--seconds", "3600", "--stream", "s"}, error)->seconds, 3600);

  // The test: a series stands for --output; the unit only counts as given when it is.
  a = ParseRecordArgs({"--record", "2", "--series", "S. ", "--unit", "kN", "--part", "P-001",
                       "--operator", "Ute", "--order", "A7", "--comment", "neu", "--max-limits",
                       "-1,5:"},
                      error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->series, "S");
  EXPECT_TRUE(a->unitGiven);
  EXPECT_EQ(a->test.unit, dynlog::ForceUnit::kN);
  EXPECT_EQ(a->test.trace.part + a->test.trace.tester + a->test.trace.order + a->test.trace.comment,
            "P-001UteA7neu");
  EXPECT_EQ(a->test.limits, (dynlog::ForceLimits{-1.5, std::nullopt}));
  EXPECT_FALSE(ParseRecordArgs({"--stream", "s.csv"}, error)->unitGiven);

  a = ParseRecordArgs({"--output", "m.txt", "--record", "1"}, error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->rate, SampleRate::Hz10) << "the rate dialog's own default";
  EXPECT_FALSE(a->average);

  struct Bad {
    std::vector<std::string> args;
    const char* message;
  } bad[] = {
      {{"--record", "0", "--output", "m"}, "ungültige Dauer: 0 (SEKUNDEN von 1 bis 86400)"},
      {{"--record", "0.5", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "86401", "--output", "m"}, "ungültige Dauer: 86401 (SEKUNDEN von 1 bis 86400)"},
      {{"--record", "0x10", "--output", "m"}, "ungültige Dauer: 0x10"},
      {{"--record", "1e3", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "-5", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "5.", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "inf", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "x", "--output", "m"}, "ungültige Dauer"},
      {{"--record", "1"}, "--output fehlt (oder --series ORDNER)"},
      {{"--record", "1", "--series", "S", "--unit", "G"}, "ungültige Einheit: G"},
      {{"--record", "1", "--series", "S", "--max-limits", "900:10"}, "ungültige Grenzen: 900:10"},
      {{"--record", "1", "--series", "S", "--max-limits", ":"}, "ungültige Grenzen"},
      {{"--record", "1", "--series", "S", "--part", "--overwrite"}, "--part braucht einen Text"},
      {{"--record", "1", "--series", "nul"}, "ist ein Gerätename"},
      {{"--output", "m"}, "--record fehlt"},
      {{"--record", "1", "--output", "m", "--rate", "33"}, "ungültige Messrate"},
      {{"--record", "1", "--output", "m", "--rate"}, "--rate braucht"},
      {{"--record", "1", "--output", "m", "--laut"}, "unbekanntes Argument"},
      {{"--stream"}, "--stream braucht einen Dateinamen"},
      {{"--stream", "s", "--record", "2"}, "schließen einander aus"},
      {{"--stream", "s", "--seconds", "0"}, "ungültige Dauer: 0"},
      {{"--stream", "s", "--screenshot", "b.bmp"}, "nur mit --record"},
      {{"--record", "1", "--output", "m", "--seconds", "3"}, "nur mit --stream"},
      {{"--stream", "a.csv", "--output", "b.csv"}, "--output gibt es nur mit --record"},
      {{"--output", "b.csv", "--stream", "a.csv"}, "--output gibt es nur mit --record"},
      // A value starting with "--" is the next option; an option given twice is refused.
      {{"--stream", "--overwrite"}, "--stream braucht einen Dateinamen"},
      {{"--stream", "a", "--stream", "b"}, "--stream ist mehrfach angegeben"},
      // Names Windows takes as devices: the unit's own line, the console, the void.
      {{"--stream", "com2", "--overwrite"}, "com2 ist ein Gerätename"},
      {{"--stream", "C:\\messung\\Con.txt"}, "ist ein Gerätename"},
      {{"--record", "1", "--output", "m", "--screenshot", "NUL"}, "ist ein Gerätename"},
      {{"--stream", "CONIN$"}, "CONIN$ ist ein Gerätename"},
      {{"--stream", "conout$.csv"}, "ist ein Gerätename"},
      {{"--stream", "LPT9.txt "}, "ist ein Gerätename"},
      {{"--stream", "s", "--stop-below", "100,5"}, "zwischen 0 und 100 % des Maximums"},
      {{"--stream", "s", "--pre", "0,5"}, "--pre braucht eine Startbedingung"},
      {{"--stream", "s", "--start-on-input", "--pre", "11"}, "zwischen 0 und 10 Sekunden"},
      {{"--stream", "s", "--start-above", "5", "--start-on-input"}, "schließen einander aus"},
      {{"--stream", "s", "--stop-min", "200"}, "--stop-min gibt es nur mit --stop-below"},
      {{"--stream", "s", "--stop-below", "40", "--stop-min", "-5"}, ": -5 (--stop-min ab 0)"},
  };
  for (const Bad& b : bad) {
    error.clear();
    EXPECT_FALSE(ParseRecordArgs(b.args, error));
    EXPECT_NE(error.find(b.message), std::string::npos) << error;
  }
}

// Each row: observations (time in ms, frames so far), the end of streaming, the gaps expected.
TEST(RecordArgs, WarnsOnlyWhenTheSecondsHoldMoreThan10000Values) {
  EXPECT_EQ(dynlog::RecordLimitWarning(31.25, 320), std::nullopt); // exactly 10000
  EXPECT_EQ(dynlog::RecordLimitWarning(1000, 10), std::nullopt);
  EXPECT_EQ(dynlog::RecordLimitWarning(33, 320),
            "dynlog: Warnung: die Aufnahme fasst 10000 Messwerte, bei dieser Messrate also nur die "
            "ersten 31 Sekunden; für längere Aufnahmen --stream DATEI verwenden");
  EXPECT_NE(dynlog::RecordLimitWarning(1001, 10)->find("nur die ersten 1000 Sekunden"),
            std::string::npos);
}

TEST(SilenceWatch, ReportsEveryPauseOfMoreThanTwoSecondsWithItsStartAndLength) {
  using Gap = dynlog::SilenceWatch::Gap;
  const struct {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> observed;
    std::uint64_t finish;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> gaps;
  } cases[] = {
      {{{50, 16}, {100, 32}, {5000, 1500}}, 5050, {{100, 4900}}}, // gone, then back
      {{{50, 16}, {2000, 30}, {4000, 60}}, 4050, {}},             // 2 s at most is no gap
      {{{50, 16}, {1000, 300}}, 9000, {{1000, 8000}}},            // gone until the end
      {{}, 3000, {{0, 3000}}},                                    // never sent a frame
      {{{100, 5}, {2200, 5}, {2300, 9}, {4200, 10}}, 4300, {{100, 2200}}},
      {{{100, 5}, {2200, 5}, {2300, 9}, {4400, 9}, {6000, 10}}, 6000, {{100, 2200}, {2300, 3700}}},
  };
  for (const auto& c : cases) {
    dynlog::SilenceWatch watch(1000000);
    for (const auto& [ms, frames] : c.observed)
      watch.Observe(1000000 + ms, frames);
    watch.Finish(1000000 + c.finish);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> got;
    for (const Gap& g : watch.Gaps())
      got.emplace_back(g.startMs, g.lengthMs);
    EXPECT_EQ(got, c.gaps) << "finish " << c.finish;
  }
}
