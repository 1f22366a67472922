// The recording's rules, as the measurement window and the modes without a person run them,
// and a recording that starts and ends by itself or is zeroed before it arms.
#include "files/recordedtest.h"
#include "files/recordinghead.h"
#include "test/recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <tuple>
#include <vector>

namespace dynlog {
namespace {

constexpr FrameSettings k320{SampleRate::Hz320, false, 19200};

RecordingSetting At(SampleRate rate, int baud, bool averaging = false) {
  return {rate, averaging, baud, 1, "COM3", "\x02KM470 V2.03\r"};
}

// Frames 0, 1, 2 ... at 320 a second; every one after the first 32 is kept.
void Feed(Recording& r, int frames, int from = 0) {
  for (int i = from; i < from + frames; ++i)
    r.TakeFrame(i, k320);
}

TEST(Recording, KeepsItsFirst10000AndHandsEveryValueToItsListeners) {
  auto r = std::make_unique<Recording>();
  r->Start(At(SampleRate::Hz320, 19200), {});
  std::vector<float> heard;
  {
    const auto subscription = r->Subscribe([&](float v, double, Lamps) { heard.push_back(v); });
    Feed(*r, 32 + 10500);
  }
  Feed(*r, 10, 32 + 10500);
  ASSERT_EQ(heard.size(), 10500u) << "past the 10000 too, and nothing once unsubscribed";
  EXPECT_EQ(heard.back(), 32 + 10499);
  EXPECT_EQ(r->SampleCount(), 10000);
  EXPECT_EQ(r->Values().back(), 32 + 9999);
  EXPECT_EQ(r->Results().Count(), 10000u);
  EXPECT_EQ(r->Results().Max(), 32 + 9999) << "the results are those of the recorded values";
  EXPECT_EQ(r->FrameCount(), 32u + 10510u);
  EXPECT_EQ(StatusLineText(r->StatusFigures(), GermanSeparators()),
            "Misst \xC2\xB7 Aufnahme voll: 10.000 Werte \xC2\xB7 320 Werte/s");
  // A new Start counts afresh. The recording keeps single precision, the display the double.
  r->Start(At(SampleRate::Hz320, 19200), {});
  EXPECT_EQ(r->TakeFrame(0.1, k320), 0.1);
  EXPECT_EQ(r->Values()[0], 0.1f);
  EXPECT_EQ(r->SampleCount(), 1);
  EXPECT_EQ(r->Results().Count(), 1u);
}

TEST(Recording, OnlyUnsavedValuesNeedAQuestionRunningOrStopped) {
  enum Step { Start, Values, Stop, Save };
  const struct {
    std::vector<Step> steps;
    bool mayDrop;
  } cases[] = {
      {{}, true},
      {{Start}, true},
      {{Start, Values}, false}, // still measuring
      {{Start, Stop}, true},
      {{Start, Values, Stop}, false},
      {{Start, Values, Stop, Save}, true},
      {{Start, Values, Stop, Save, Values}, false}, // values still on their way after Stop
      {{Start, Values, Stop, Save, Start}, true},
  };
  for (const auto& c : cases) {
    auto r = std::make_unique<Recording>();
    Feed(*r, 32);
    std::string trace;
    for (const Step step : c.steps) {
      trace += std::to_string(step);
      if (step == Start)
        r->Start(At(SampleRate::Hz320, 19200), {});
      else if (step == Values)
        Feed(*r, 5);
      else if (step == Stop)
        r->Stop();
      else
        r->MarkSaved();
    }
    EXPECT_EQ(r->MayDropWithoutQuestion(), c.mayDrop) << trace;
  }
}

// Start at "320" on a 9600 baud line keeps 160 values a second; the status line, the results and
// both file heads say so, also after the rate dialog changed. Before the first Start they name
// what Start will use.
TEST(Recording, NamesTheSettingItWasTakenAtAndBeforeItsStartTheOneStartWillUse) {
  auto r = std::make_unique<Recording>();
  const auto status = [&] {
    const StatusLine line = r->StatusFigures();
    return StatusLineText(line, GermanSeparators()) + " | " + ConnectionText(line);
  };
  r->Propose({SampleRate::Hz10, true, 0, 0, "", ""});
  EXPECT_EQ(status(), "Bereit \xC2\xB7 10 Werte/s gemittelt | nicht verbunden");

  r->Start(At(SampleRate::Hz320, 9600), {2026, 12, 7, 10, 0, 0, 60});
  for (int i = 0; i < 32 + 320; ++i)
    r->TakeFrame(i, {SampleRate::Hz320, false, 9600});
  r->Stop();
  r->Propose(At(SampleRate::Hz20, 19200, true));
  EXPECT_EQ(status(), "Gestoppt \xC2\xB7 320 von 10.000 Werten \xC2\xB7 160 Werte/s | "
                      "COM3, 9600 Baud \xC2\xB7 KM470 V2.03");
  EXPECT_EQ(r->Format(GermanSeparators()).valuesPerSecond, 160);
  EXPECT_EQ(r->Setting().KeptRate(), SampleRate::Hz160); // the text file's head
  EXPECT_EQ(r->Setting().decimalPlaces, 1);
  const CsvHead head = CsvHeadOf(*r);
  EXPECT_EQ(head.valuesPerSecond, 160);
  EXPECT_EQ(head.port, "COM3");
  EXPECT_EQ(head.start.utcOffsetMinutes, 60);
  EXPECT_FALSE(head.averaging);
  // A new Start takes the new setting. The head names averaging only where frames were put
  // together: a rate that keeps every frame averages nothing.
  for (const auto& [rate, baud, averaged] : {std::tuple{SampleRate::Hz20, 19200, true},
                                             {SampleRate::Hz160, 19200, true},
                                             {SampleRate::Hz320, 19200, false},
                                             {SampleRate::Hz320, 9600, false},
                                             {SampleRate::Hz160, 9600, false}}) {
    r->Start(At(rate, baud, true), {});
    EXPECT_EQ(CsvHeadOf(*r).averaging, averaged) << RateText(rate) << " at " << baud;
  }
  EXPECT_EQ(CsvHeadOf(*r).valuesPerSecond, 160);
}

TEST(Recording, TimesFollowTheUnitsClockAndGoOnAcrossAGapByTheLengthThePcMeasured) {
  // 20 ticks of 50 ms bring frames 0..319 (at 320 values 0..287: the first 32 frames are
  // skipped; at 10 values 0..8, one every 32 frames); then ticks that find no frame, one tick
  // (late, when the PC was held up) with the frames that waited, and 80 more.
  const struct {
    SampleRate rate;
    int quietTicks;
    std::uint64_t lateMs;
    int waitingFrames;
    std::uint64_t value;
    double seconds, gapSeconds;
  } cases[] = {
      {SampleRate::Hz320, 0, 1000, 320, 1000, 1000 / 320.0, 0}, // held up: the port kept them
      {SampleRate::Hz320, 9, 50, 16, 288, 288 / 320.0, 0},      // 0,5 s beyond a frame: no gap
      {SampleRate::Hz320, 80, 50, 16, 288, 287 / 320.0 + 4.05, 4.05 - 1 / 320.0},
      {SampleRate::Hz320, 80, 50, 16, 1000, 999 / 320.0 + 4.05, 4.05 - 1 / 320.0},
      {SampleRate::Hz10, 80, 50, 16, 9, 0.8 + 32 / 320.0 + 4.05 - 1 / 320.0, 4.05 - 1 / 320.0},
  };
  for (const auto& c : cases) {
    auto r = std::make_unique<Recording>();
    r->Start(At(c.rate, 19200), {});
    std::vector<double> heard;
    const auto subscription = r->Subscribe([&](float, double t, Lamps) { heard.push_back(t); });
    std::uint64_t now = 0, frame = 0;
    const auto tick = [&](std::uint64_t afterMs, int frames) {
      r->BeginTick(now += afterMs);
      for (int i = 0; i < frames; ++i)
        r->TakeFrame(static_cast<double>(frame++), {c.rate, false, 19200});
    };
    for (int i = 0; i < 101 + c.quietTicks; ++i)
      i<20 || i> 20 + c.quietTicks ? tick(50, 16)
      : i < 20 + c.quietTicks      ? tick(50, 0)
                                   : tick(c.lateMs, c.waitingFrames);
    ASSERT_GT(heard.size(), c.value) << c.quietTicks;
    EXPECT_NEAR(heard[c.value], c.seconds, 1e-9) << c.quietTicks;
    EXPECT_NEAR(r->SecondsOf(c.value), c.seconds, 1e-9) << c.quietTicks;
    EXPECT_EQ(r->GapTotal().count, c.gapSeconds > 0 ? 1u : 0u) << c.quietTicks;
    EXPECT_NEAR(r->GapTotal().seconds, c.gapSeconds, 1e-9) << c.quietTicks;
    // The values rise, so the maximum is the last one: the results time it as the file does.
    EXPECT_EQ(r->Results().MaxSeconds(), heard.back()) << c.quietTicks;
    // The recording as a report or the whole-test view takes an opened file: the same times.
    const OpenedTest opened = RecordedTest(*r);
    ASSERT_EQ(opened.values.Count(), static_cast<std::uint64_t>(r->SampleCount()));
    EXPECT_NEAR(opened.values.SecondsOf(c.value), c.seconds, 1e-9) << c.quietTicks;
    EXPECT_EQ(opened.values.Gaps(), r->GapTotal().count) << c.quietTicks;
  }
}

std::vector<float> Recorded(const Recording& r) {
  return {r.Values().begin(), r.Values().end()};
}

TEST(ArmedRecording, ThePreTriggerHoldsWhatTheThinningKeptAndTimesCountFromTheCrossing) {
  // Frames rising by one; the same frames recorded by hand from Start tell what was kept, when.
  for (int rates = 0; rates < 16; ++rates) {
    const FrameSettings tick{static_cast<SampleRate>(rates / 2), rates % 2 == 1, 19200};
    const RecordingSetting setting{tick.rate, tick.averaging, 19200, 0, "COM3", "KM470"};
    Recording plain, armed;
    armed.SetConditions({{StartCondition::Kind::ForceAbove, 2000.5, 0.5}, {}, false});
    plain.Start(setting, {});
    armed.Start(setting, {});
    for (int i = 0; i < 4000; ++i)
      plain.TakeFrame(i, tick), armed.TakeFrame(i, tick);
    const std::vector<float> all = Recorded(plain);
    const auto crossing = std::find_if(all.begin(), all.end(), [](float v) { return v > 2000.5; });
    const auto before = PreTriggerCapacity(0.5, setting.ValuesPerSecond());
    const auto first = static_cast<std::size_t>(crossing - all.begin()) - before;
    ASSERT_EQ(Recorded(armed), std::vector<float>(all.begin() + first, all.end())) << rates;
    for (std::size_t i = 0; i < all.size() - first; i += 7)
      EXPECT_NEAR(armed.SecondsOf(i), plain.SecondsOf(first + i) - plain.SecondsOf(first + before),
                  1e-9);
    EXPECT_EQ(armed.SecondsOf(before), 0.0) << "the crossing";
    EXPECT_NEAR(armed.Results().Duration(setting.ValuesPerSecond()),
                static_cast<double>(all.size() - first) / setting.ValuesPerSecond(), 1e-9);
  }
}

TEST(ArmedRecording, WaitsRecordsTheRingEndsAtTheBreakAndArmsAgain) {
  Recording r;
  r.SetConditions({{StartCondition::Kind::ForceAbove, 50, 0.1}, {40.0, 200}, true});
  r.Start({SampleRate::Hz10, false, 19200, 0, "COM3", "KM470"}, {2026, 12, 8, 9, 0, 0, 60});
  std::vector<float> heard;
  const auto subscription = r.Subscribe([&](float v, double, Lamps) { heard.push_back(v); });
  const auto value = [&](double v) { // one kept value a tenth of a second
    std::optional<double> shown;
    for (int i = 0; i < 32; ++i)
      if (const auto kept = r.TakeFrame(v, {SampleRate::Hz10, false, 19200}))
        shown = kept;
    return shown;
  };
  value(0);
  for (const double v : {3, 4, 5, 60, 300, 500, 201, 199, 7})
    EXPECT_EQ(value(v), v) << "shown whether recorded or not";
  EXPECT_EQ(Recorded(r), (std::vector<float>{5, 60, 300, 500, 201, 199}));
  EXPECT_EQ(heard, Recorded(r)) << "the test's values only";
  EXPECT_EQ(r.HeldPeak(), 500);
  const std::string head = CsvHeadText(CsvHeadOf(r, r.Results()), GermanSeparators());
  for (const char* line : {"# Startbedingung;Kraft über 50", "# Vorlauf in s;0,1",
                           "# Ende durch;Bruch bei 40 % des Maximums"})
    EXPECT_NE(head.find(std::string(line) + "\r\n"), std::string::npos) << line;
  EXPECT_TRUE(r.RearmDue() && r.Rearm({}));
  EXPECT_TRUE(StatusLineText(r.StatusFigures(), GermanSeparators())
                  .starts_with("Wartet, bis die Kraft unter 50 fällt"))
      << "its last value, 199, was above the threshold";
  value(30);
  value(70);
  EXPECT_EQ(Recorded(r), (std::vector<float>{30, 70}));
  EXPECT_DOUBLE_EQ(r.SecondsOf(0), -0.1);
}

TEST(RecordingEvents, AnnouncesWhatBecomesOfTheTestInTheOrderItHappens) {
  constexpr double kStop = -1e6, kRearm = -2e6; // steps among the kept values
  const TestConditions hand;
  TestConditions timed, pull{{StartCondition::Kind::ForceAbove, 50, 0.1}, {40.0, 200}, true};
  timed.stop.afterSeconds = 0.25;
  const struct {
    const char* what;
    const TestConditions& conditions;
    bool zeroFirst;
    std::vector<double> steps; // one value each, 10 a second; the first never kept
    const char* heard;
  } cases[] = {
      {"by hand", hand, false, {5, 6, kStop, 7}, "Began Stopped "},
      {"stopped before a value", hand, false, {kStop, 7, 7}, "Stopped Began "},
      {"ended by time", timed, false, {1, 2, 3, 4, 5}, "Began Ended:3 "},
      {"break, armed again",
       pull,
       false,
       {0, 3, 60, 300, 500, 199, 7, kRearm, 30, 70},
       "Armed Began Ended:0 Armed Began "},
      {"armed, stopped", pull, false, {3, kStop, 60}, "Armed Stopped "},
      {"zero first", hand, true, {0, 0, 0, 0, 0, 0, 5}, "Armed Began "},
      {"zero first refused", pull, true, {0, 900, 0, 900, 0, 900, 60}, "Armed Ended "},
  };
  for (const auto& c : cases) {
    Recording r;
    r.SetConditions(c.conditions);
    r.ZeroBeforeArming(c.zeroFirst);
    std::string heard;
    const auto subscription = r.Subscribe({}, {}, [&](const TestEvent& e) {
      heard += std::array{"Armed", "Began", "Stopped", "Ended"}[static_cast<int>(e.kind)];
      if (e.reason)
        heard.append(1, ':').append(std::to_string(static_cast<int>(*e.reason)));
      heard += ' ';
    });
    r.Start({SampleRate::Hz10, false, 19200, 0, "COM3", "KM470"}, {});
    for (const double step : c.steps)
      if (step == kStop)
        r.Stop();
      else if (step == kRearm)
        r.Rearm({});
      else
        for (int i = 0; i < 32; ++i)
          r.TakeFrame(step, {SampleRate::Hz10, false, 19200});
    EXPECT_EQ(heard, c.heard) << c.what;
  }
}

TEST(ArmedRecording, ZeroedBeforeArmingEveryValueIsTheUnitsFigureLessTheZeroRoundedOnce) {
  const struct {
    int decimals;
    double rest, figure;
    bool averaging;
    const char *line, *zero; // the first value's line, and the zero in the head
  } cases[] = {
      {1, 12.3, 940.6, false, "0,000000;928,3;", "# Nullpunkt;12,3"},
      {1, -2.0, 0.2, true, "0,000;2,2;", "# Nullpunkt;-2,0"}, // averaged only after zeroing
  };
  for (const auto& c : cases) {
    Recording r;
    r.ZeroBeforeArming(true);
    const FrameSettings tick{c.averaging ? SampleRate::Hz40 : SampleRate::Hz320, c.averaging,
                             19200};
    r.Start({tick.rate, c.averaging, 19200, c.decimals, "COM3", "KM470"}, {});
    for (int i = 0; i < 160; ++i)
      r.TakeFrame(c.rest, tick);
    EXPECT_EQ(r.SampleCount(), 0) << "the half second is the zero's";
    for (int i = 0; i < 8; ++i)
      r.TakeFrame(c.figure, tick);
    EXPECT_TRUE(r.AskZero()) << "refused while the test runs";
    const std::string file = BuildCsvFile(CsvHeadOf(r), r.SavedValues(), GermanSeparators());
    EXPECT_NE(file.find(std::string(c.zero) + "\r\nZeit in s;Wert;"), std::string::npos) << file;
    EXPECT_NE(file.find(std::string("T-Eingang\r\n") + c.line), std::string::npos) << file;
  }
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

} // namespace
} // namespace dynlog
