// What a test is judged by: the peak of every frame the unit sent, whatever rate is kept; a zero
// only of frames that came after it was asked for, at rest; a start only from below.
#include "files/reader.h"
#include "files/recordinghead.h"
#include "test/recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace dynlog {
namespace {

constexpr int kSpikeFrame = 333; // odd: kept at no rate below 320 a second (values at 32 + 2^n k)

RecordingSetting At(SampleRate rate, bool averaging = false) {
  return {rate, averaging, 19200, 1, "COM3", "KM470 V2.03"};
}

void Feed(Recording& r, const FrameSettings& tick, int frames,
          const std::function<double(int)>& force) {
  for (int i = 0; i < frames; ++i)
    r.TakeFrame(force(i), tick);
}

TEST(RecordingPeak, ThePeakVerdictAndHeldPeakAreOfEveryFrameAtEveryRate) {
  const struct {
    SampleRate rate;
    bool averaging;
  } cases[] = {{SampleRate::Hz160, false}, {SampleRate::Hz40, false}, {SampleRate::Hz10, false},
               {SampleRate::Hz10, true},   {SampleRate::Hz2_5, true}, {SampleRate::Hz2_5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(RateText(c.rate));
    Recording r;
    r.Describe({ForceUnit::N, {}, {{}, 520.0}});
    r.Start(At(c.rate, c.averaging), {2026, 12, 8, 9, 0, 0, 60});
    TestResults heard; // as a mode without a person keeps its own
    const auto subscription = r.Subscribe([&](float v, double t, Lamps) { heard.Add(v, t); },
                                          [&](const FramePeaks& f) { heard.AddFrames(f); });
    Feed(r, {c.rate, c.averaging, 19200}, 1000,
         [](int i) { return i == kSpikeFrame ? 549.5 : 500; });
    r.Stop();
    EXPECT_EQ(std::ranges::count(r.Values(), 549.5f), 0) << "the kept values stay as they are";
    EXPECT_EQ(r.Results().Max(), 549.5f);
    // The first value, frame 32, is the test's 0 s.
    EXPECT_NEAR(r.Results().MaxSeconds(), (kSpikeFrame - 32) / 320.0, 1e-9);
    EXPECT_EQ(r.HeldPeak(), 549.5f);
    EXPECT_TRUE(r.CurrentVerdict().Failed()) << "over its upper limit between two kept values";
    EXPECT_EQ(heard.Max(), 549.5f);
    const std::string head = CsvHeadText(CsvHeadOf(r, r.Results()), GermanSeparators());
    for (const char* line : {"# Maximum;549,5;0,940625\r\n", "# Urteil;n.i.O.\r\n",
                             "# Spitzenwerte;aus allen 320 Werten/s des Geräts\r\n"})
      EXPECT_NE(head.find(line), std::string::npos) << line << head;
    // Opened again, the file names the peak its rows do not hold.
    const OpenedTest opened =
        ReadTestBytes(BuildCsvFile(CsvHeadOf(r, r.Results()), r.SavedValues(), GermanSeparators()),
                      GermanSeparators());
    ASSERT_TRUE(opened.head.summary.has_value() && !opened.unread)
        << UnreadLineText(opened.unread.value_or(UnreadLine{}));
    EXPECT_EQ(opened.head.summary->results.Max(), 549.5f);
    EXPECT_NEAR(opened.head.summary->results.MaxSeconds(), (kSpikeFrame - 32) / 320.0, 1e-9);
    EXPECT_EQ(opened.head.summary->peakFramesPerSecond, 320);
    EXPECT_TRUE(opened.head.summary->verdict.Failed());
  }
}

TEST(RecordingPeak, ABreakBetweenTwoKeptValuesEndsTheTestWithThePeakBeforeIt) {
  Recording r;
  r.SetConditions({{StartCondition::Kind::ForceAbove, 50, 0}, {40.0, 200}, false});
  r.Start(At(SampleRate::Hz10), {});
  TestResults heard;
  const auto subscription = r.Subscribe([&](float v, double t, Lamps) { heard.Add(v, t); },
                                        [&](const FramePeaks& f) { heard.AddFrames(f); });
  // At rest, a rise through 50 (kept values at frames 32, 64 … 320), the peak at frame 333 and
  // the break on the frame after it, between the kept frames 320 and 352.
  Feed(r, {SampleRate::Hz10, false, 19200}, 500, [](int i) {
    return i < 100 ? 0.0 : i < kSpikeFrame ? i : i == kSpikeFrame ? 549.5 : 0.0;
  });
  EXPECT_EQ(r.EndReason(), StopReason::Break);
  EXPECT_EQ(r.State(), MeasuringState::Stopped);
  ASSERT_EQ(r.Values().size(), 7u) << "128 … 320, nothing after the break";
  EXPECT_EQ(r.Values().back(), 320);
  EXPECT_EQ(r.Results().Max(), 549.5f);
  EXPECT_NEAR(r.Results().MaxSeconds(), 0.6 + 13 / 320.0, 1e-9) << "13 frames after 320's 0,6 s";
  EXPECT_EQ(heard.Max(), 549.5f) << "the frames up to the break reach the listeners too";
}

TEST(RecordingZero, OnlyFreshFramesAtRestAfterTheAskAreTheZero) {
  const FrameSettings tick{SampleRate::Hz320, false, 19200};
  const struct {
    const char* what;
    std::function<double(int)> fresh; // the half second after the ask
    double zero;                      // -1: none
    std::string refusal;              // its start
  } cases[] = {
      {"at rest: its mean", [](int i) { return 0.2 + (i % 3) * 0.1; }, 0.3, ""},
      {"ten digits of noise are rest", [](int i) { return (i % 2) * 1.0; }, 0.5, ""},
      {"moving", [](int i) { return i * 0.1; }, -1, "Nullen geht nur in Ruhe"},
  };
  for (const auto& c : cases) {
    Recording r;
    r.Start(At(SampleRate::Hz320), {});
    Feed(r, tick, 400, [](int) { return 217.9; }); // the last test, under load
    r.Stop();
    const auto recorded = r.SampleCount();
    ASSERT_FALSE(r.AskZero()) << c.what;
    Feed(r, tick, 160, c.fresh);
    EXPECT_TRUE(r.ZeroAsked() && !r.TakeZeroDone()) << c.what << ": a whole half second first";
    r.TakeFrame(0, tick);
    EXPECT_TRUE(!r.ZeroAsked() && r.TakeZeroDone()) << c.what;
    EXPECT_EQ(r.SampleCount(), recorded) << c.what << ": the stopped test takes none of them";
    EXPECT_EQ(r.ZeroRefusal().value_or("").substr(0, c.refusal.size()), c.refusal) << c.what;
    EXPECT_DOUBLE_EQ(r.ZeroNow().value_or(-1), c.zero) << c.what;
  }
  Recording r;
  r.Start(At(SampleRate::Hz320), {});
  Feed(r, tick, 40, [](int) { return 5.0; });
  EXPECT_TRUE(r.AskZero()) << "not while a test runs";
  r.Stop();
  ASSERT_FALSE(r.AskZero());
  for (const std::uint64_t ms : {1000, 4000, 4001}) // a unit that sends nothing: given up
    r.BeginTick(ms);
  EXPECT_TRUE(r.TakeZeroDone() && r.ZeroRefusal()->starts_with("Nullen geht erst")) << "3 s";
}

TEST(RecordingZero, BeforeEveryTestArmedAgainItsOwnZeroInItsHead) {
  const FrameSettings tick{SampleRate::Hz320, false, 19200};
  Recording r;
  r.ZeroBeforeArming(true);
  r.SetConditions({{StartCondition::Kind::ForceAbove, 50, 0}, {40.0, 0}, true});
  r.Start(At(SampleRate::Hz320), {});
  Feed(r, tick, 161, [](int) { return 1.0; });
  Feed(r, tick, 20, [](int i) { return i < 10 ? 101.0 : 2.0; }); // a test and its break
  ASSERT_TRUE(r.RearmDue() && r.Rearm({}));
  Feed(r, tick, 161, [](int) { return 3.0; }); // the next part's fixture
  Feed(r, tick, 5, [](int) { return 103.0; });
  EXPECT_EQ(r.Values().front(), 100) << "zeroed on the new rest";
  const std::string head = CsvHeadText(CsvHeadOf(r), GermanSeparators());
  EXPECT_NE(head.find("# Nullpunkt;3,0\r\n"), std::string::npos) << head;
}

} // namespace
} // namespace dynlog
