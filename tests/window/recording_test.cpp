// The recording's rules, as the measurement window and the modes without a person run them.
#include "window/recording.h"

#include <gtest/gtest.h>

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
  const CsvHead head = r->CsvFileHead();
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
    EXPECT_EQ(r->CsvFileHead().averaging, averaged) << RateText(rate) << " at " << baud;
  }
  EXPECT_EQ(r->CsvFileHead().valuesPerSecond, 160);
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
  }
}

} // namespace
} // namespace dynlog
