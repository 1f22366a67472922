#include "test/acquisition.h"
#include "test/samplerate.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dynlog {
namespace {

constexpr SampleRate kAllRates[] = {SampleRate::Hz320, SampleRate::Hz160, SampleRate::Hz80,
                                    SampleRate::Hz40,  SampleRate::Hz20,  SampleRate::Hz10,
                                    SampleRate::Hz5,   SampleRate::Hz2_5};

// The object holds 40 KB of arrays; keep it off the test's stack.
std::unique_ptr<Acquisition> Fresh() {
  return std::make_unique<Acquisition>();
}

// Feeds frames numbered 1..count (value = frame number) and returns the numbers of those emitted.
std::vector<int> EmittedFrames(Acquisition& acq, int count, int reload, bool averaging = false) {
  std::vector<int> emitted;
  for (int i = 1; i <= count; ++i)
    if (acq.TakeFrameValue(i, reload, averaging))
      emitted.push_back(i);
  return emitted;
}

TEST(AcquisitionTest, IdleTickRuleSkipsOneTickAfterASecondOfSilence) {
  auto acq = Fresh();
  EmittedFrames(*acq, 33 + 10, ReloadValue(SampleRate::Hz10, 320), true); // 10 to average
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(acq->BeginTick()) << i;
    acq->EndTick(false);
  }
  EXPECT_EQ(acq->IdleTicks(), 20);
  EXPECT_EQ(acq->AverageCount(), 10);
  EXPECT_FALSE(acq->BeginTick()); // the 21st quiet tick reads nothing
  EXPECT_EQ(acq->IdleTicks(), 0);
  EXPECT_EQ(acq->AverageCount(), 0) << "a gap: nothing from before it is averaged with after";
  EXPECT_TRUE(acq->BeginTick()); // and then polling goes on as before
  EXPECT_EQ(acq->IdleTicks(), 1);
  acq->EndTick(true);
  EXPECT_EQ(acq->IdleTicks(), 0);
}

TEST(AcquisitionTest, First32FramesAreNeverEmittedThenEveryReloadPlusOneth) {
  for (const int baud : {19200, 9600}) {
    for (const SampleRate rate : kAllRates) {
      auto acq = Fresh();
      const int reload = ReloadValue(rate, FramesPerSecond(baud));
      const int step = reload < 0 ? 1 : reload + 1;
      const std::vector<int> emitted = EmittedFrames(*acq, 33 + 3 * step, reload);
      ASSERT_EQ(emitted.size(), 4u) << RateText(rate) << " at " << baud;
      EXPECT_EQ(emitted[0], 33);
      EXPECT_EQ(emitted[1], 33 + step);
      EXPECT_EQ(emitted[3], 33 + 3 * step);
      // The rate the file and the window report is the one these steps really keep.
      const double framesPerSecond = baud == 9600 ? 160.0 : 320.0;
      EXPECT_EQ(RatePerSecond(KeptRate(rate, FramesPerSecond(baud))), framesPerSecond / step)
          << RateText(rate) << " at " << baud;
    }
  }
}

TEST(AcquisitionTest, EveryFrameAt320And9600BaudFor160Too) {
  for (const int reload : {ReloadValue(SampleRate::Hz320, 320), ReloadValue(SampleRate::Hz320, 160),
                           ReloadValue(SampleRate::Hz160, 160)}) {
    auto acq = Fresh();
    EXPECT_EQ(EmittedFrames(*acq, 100, reload, true).size(), 100u - 32u) << reload;
    // With nothing skipped there is nothing to average: the value comes through unchanged.
    EXPECT_EQ(acq->TakeFrameValue(7.25, reload, true), 7.25);
  }
}

TEST(AcquisitionTest, AveragingTakesTheSkippedFramesAndTheEmittedOne) {
  auto acq = Fresh();
  const int reload = ReloadValue(SampleRate::Hz10, 320);
  // The first emission averages the 32 initial frames with its own: 1..33 has mean 17.
  std::optional<double> v;
  for (int i = 1; i <= 33; ++i)
    v = acq->TakeFrameValue(i, reload, true);
  ASSERT_TRUE(v);
  EXPECT_EQ(*v, 17.0);
  // Afterwards 31 skipped and 1 emitted: 34..65 has mean 49.5.
  for (int i = 34; i <= 65; ++i)
    v = acq->TakeFrameValue(i, reload, true);
  ASSERT_TRUE(v);
  EXPECT_EQ(*v, 49.5);
  EXPECT_EQ(acq->AverageCount(), 0);
  EXPECT_EQ(acq->SampleCount(), 2);
  EXPECT_EQ(acq->Recording()[1], 49.5f);
}

TEST(AcquisitionTest, SteadyInputAveragesToExactlyItself) {
  for (const double c : {0.1, 12.34, -0.7, 9999.9, 3.3, 0.01, -1000.0}) {
    auto acq = Fresh();
    std::vector<double> out;
    for (int i = 0; i < 33 + 32 * 3; ++i)
      if (auto v = acq->TakeFrameValue(c, ReloadValue(SampleRate::Hz10, 320), true))
        out.push_back(*v);
    ASSERT_EQ(out.size(), 4u);
    for (const double v : out)
      EXPECT_EQ(v, c);
  }
}

TEST(AcquisitionTest, StopAndStartKeepTheCountDownAndTheAverageGoing) {
  auto acq = Fresh();
  const int reload = ReloadValue(SampleRate::Hz10, 320);
  EmittedFrames(*acq, 33 + 10, reload, true); // one emission, then 10 frames into the next
  EXPECT_EQ(acq->SkipCounter(), 21);
  EXPECT_EQ(acq->AverageCount(), 10);
  acq->StartRecording();
  EXPECT_EQ(acq->SampleCount(), 0);
  EXPECT_EQ(acq->SkipCounter(), 21);
  EXPECT_EQ(acq->AverageCount(), 10);

  // The rate dialog empties the buffer but leaves the count-down; the new rate applies from the
  // next emission on.
  acq->ClearAverage();
  EXPECT_EQ(acq->AverageCount(), 0);
  EXPECT_EQ(acq->SkipCounter(), 21);
  std::optional<double> v;
  int frames = 0;
  while (!v) {
    v = acq->TakeFrameValue(100.0 + frames, ReloadValue(SampleRate::Hz320, 320), true);
    ++frames;
  }
  EXPECT_EQ(frames, 22);
  EXPECT_EQ(*v, 100.0 + 10.5); // mean of 100..121: only frames after the clear
  EXPECT_TRUE(acq->TakeFrameValue(5.0, ReloadValue(SampleRate::Hz320, 320), true));
}

TEST(AcquisitionTest, AveragingSwitchedOffBeforeEmissionsCannotOverrunTheBuffer) {
  // The box ticked while frames are skipped and unticked for the emission, cycle after cycle:
  // nothing empties the buffer, which must stop at its 181 slots.
  auto acq = Fresh();
  const int reload = ReloadValue(SampleRate::Hz2_5, 320);
  for (int cycle = 0; cycle < 5; ++cycle) {
    while (acq->SkipCounter() > 0)
      acq->TakeFrameValue(1.0, reload, true);
    acq->TakeFrameValue(1.0, reload, false);
  }
  EXPECT_EQ(acq->AverageCount(), Acquisition::kAverageSlots);
  EXPECT_EQ(acq->SampleCount(), 5);
  // Averaging on again: the full buffer is used and emptied.
  while (acq->SkipCounter() > 0)
    acq->TakeFrameValue(1.0, reload, true);
  EXPECT_EQ(acq->TakeFrameValue(1.0, reload, true), 1.0);
  EXPECT_EQ(acq->AverageCount(), 0);
}

} // namespace
} // namespace dynlog
