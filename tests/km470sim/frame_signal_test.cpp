#include "force_signal.h"
#include "frame_codec.h"
#include "receiver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace km470sim;

// The counts travel as the receiver's test below shows; what it cannot tell: where each flag goes,
// and what is refused.
TEST(FrameCodec, FlagBitsAndLimits) {
  // Each flag lands on its own bit of the status byte and nowhere else.
  EXPECT_EQ(encodeFrame({-1000, true, false, false, false})[0], 0xE0);
  EXPECT_EQ(encodeFrame({-1000, false, true, false, false})[0], 0xC8);
  EXPECT_EQ(encodeFrame({-1000, false, false, true, false})[0], 0xD0);
  EXPECT_EQ(encodeFrame({-1000, false, false, false, true})[0], 0xC4);
  EXPECT_EQ(encodeRaw(0xC0, 0x3FFF), (FrameBytes{0xC3, 0xBF, 0xBF}));
  EXPECT_THROW(encodeRaw(0xC0, 0x4000), std::out_of_range);
  EXPECT_THROW(encodeFrame({kMaxCount + 1, false, false, false, false}), std::out_of_range);
  EXPECT_THROW(encodeFrame({kMinCount - 1, false, false, false, false}), std::out_of_range);
}

TEST(FrameCodec, EveryCountAndFlagSurvivesTheReceiver) {
  for (int flags = 0; flags < 16; ++flags) {
    for (int count = kMinCount; count <= kMaxCount; ++count) {
      Sample s{count, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, (flags & 8) != 0};
      const FrameBytes f = encodeFrame(s);
      const auto got = km470sim_test::decode(std::string(f.begin(), f.end()));
      ASSERT_EQ(got.size(), 1u) << count;
      ASSERT_EQ(got[0].count, count);
      ASSERT_EQ(got[0].status & 0xFC, statusFlags(s));
    }
  }
}

TEST(ForceSignal, PlausibleAndEveryStatusBitUsed) {
  for (const int fps : {320, 160}) {
    SCOPED_TRACE(fps);
    ForceSignal sig(42, fps);
    int lowest = kMaxCount, highest = kMinCount, previous = 0, run = 0;
    bool lastPage = false;
    // Per page: bit 3, bit 4 and the trigger, each seen set (bits 0-2) and clear (bits 3-5).
    int seen[2] = {};
    for (int i = 0; i < fps * 180; ++i) {
      const Sample s = sig.next();
      ASSERT_GE(s.count, kMinCount);
      ASSERT_LE(s.count, kMaxCount);
      lowest = std::min(lowest, s.count);
      highest = std::max(highest, s.count);
      // A force, not white noise: no jumps between neighbouring frames.
      ASSERT_TRUE(i == 0 || std::abs(s.count - previous) <= 400) << "frame " << i;
      previous = s.count;
      run = (i > 0 && s.pageSelect == lastPage) ? run + 1 : 1;
      lastPage = s.pageSelect;
      ASSERT_LE(run, 3) << "both indicator columns must keep changing";
      const bool bits[3] = {s.bit3, s.bit4, s.trigger};
      for (int b = 0; b < 3; ++b)
        seen[s.pageSelect] |= 1 << (bits[b] ? b : b + 3);
      if (!s.pageSelect) {
        EXPECT_EQ(s.bit3, s.count >= kLimit1);
        EXPECT_EQ(s.bit4, s.count >= kLimit2);
      } else {
        EXPECT_EQ(s.bit4, s.count > kOverload || s.count < kUnderload);
      }
    }
    EXPECT_LT(lowest, kUnderload);
    EXPECT_GT(highest, kOverload);
    EXPECT_EQ(seen[0], 0x3F) << "every bit of page 0 set and clear";
    EXPECT_EQ(seen[1], 0x3F) << "every bit of page 1 set and clear";
  }
}

TEST(ForceSignal, SeedDecidesTheSamples) {
  ForceSignal a(7, 320), b(7, 320), c(8, 320);
  bool differs = false;
  for (int i = 0; i < 5000; ++i) {
    const Sample sa = a.next(), sb = b.next(), sc = c.next();
    ASSERT_EQ(sa.count, sb.count);
    ASSERT_EQ(statusFlags(sa), statusFlags(sb));
    differs |= sa.count != sc.count;
  }
  EXPECT_TRUE(differs);
}

TEST(ForceSignal, PullTestsRiseWithTheTriggerOnAndBreak) {
  for (const int fps : {160, 320}) {
    ForceSignal sig(9, fps, true);
    int rises = 0;
    Sample previous = sig.next();
    for (int i = 0; i < 30 * fps; ++i) {
      const Sample s = sig.next();
      if (previous.trigger && !s.trigger) { // the break: from the peak back to rest at once
        ++rises;
        EXPECT_GE(previous.count, 1900) << fps;
        EXPECT_LE(previous.count, 6010) << fps;
        EXPECT_LT(std::abs(s.count), 40) << fps;
      }
      if (!s.trigger) {
        EXPECT_LT(std::abs(s.count), 40) << "a rest, and no stray pulse, at " << fps;
      }
      previous = s;
    }
    EXPECT_GE(rises, 8) << fps;
  }
}
