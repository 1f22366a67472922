#pragma once
// The times of a recording's values. While frames flow the unit's own frame clock gives them
// (value n at n / rate): the PC's clock drifts against the unit's, and stamping each value with it
// would only add the poll's jitter. Across a gap (a pause between two frames longer than kGapMs
// beyond one frame interval, as the PC's monotonic clock measured it at the window's ticks, with
// at least one tick between that found no frame) the time goes on by the pause's length, so the
// first value after a gap carries its true time. 0.5 s is ten ticks of the 50 ms poll, far beyond
// a tick's usual lateness. A pause without such a quiet tick is the PC held up while the unit's
// frames waited in the port's buffer: they come in a burst, and the frame clock alone times them
// right. No system calls: the ticks bring the PC's clock.
#include "test/results.h"

#include <cstdint>
#include <vector>

namespace dynlog {

class FrameClock {
public:
  static constexpr std::uint64_t kGapMs = 500;

  // A pause in the frames that moved the times on: before value `firstValue` (counted from the
  // start, past the 10000 too), `seconds` long beyond the frame clock's interval.
  struct Gap {
    std::uint64_t firstValue = 0;
    double seconds = 0;
  };

  // A tick of the poll at the PC's monotonic clock: its frames are taken as arriving then.
  void BeginTick(std::uint64_t nowMs) {
    nowMs_ = nowMs;
    quietTickSeen_ = quietTickSeen_ || frames_ == framesAtTick_;
    framesAtTick_ = frames_;
  }
  std::uint64_t NowMs() const { return nowMs_; }
  // One frame of the unit, `frameSeconds` after the one before by the unit's clock.
  void Frame(double frameSeconds);
  // Every frame taken since the clock was made.
  std::uint64_t Frames() const { return frames_; }

  // The values count afresh from 0 s.
  void Restart();
  // The next value is kept, `frameSeconds` after each frame since the last one; its time at
  // `valuesPerSecond`, gaps included.
  double KeepValue(double frameSeconds, double valuesPerSecond);
  // Values kept since the start, past the 10000 too.
  std::uint64_t KeptCount() const { return kept_; }
  double LastValueSeconds() const { return lastValueSeconds_; }
  // The values from `first` on are the test's, the value `index` its 0 s; the ones before go.
  // Returns the time the 0 s had before.
  double StartAt(std::uint64_t first, std::uint64_t index, double valuesPerSecond);

  // The time of value `index` (from 0) in seconds since the start; the kept ones and the next.
  double SecondsOf(std::uint64_t index, double valuesPerSecond) const;
  const std::vector<Gap>& Gaps() const { return gaps_; }
  GapSummary GapTotal() const;

private:
  // Where the times of the values start afresh: at the start and after each gap.
  struct Segment {
    std::uint64_t firstValue = 0;
    double seconds = 0;
  };

  std::uint64_t frames_ = 0;
  std::uint64_t nowMs_ = 0;
  bool heardFrame_ = false;
  std::uint64_t lastFrameMs_ = 0;
  std::uint64_t framesAtTick_ = 0;     // Frames at the last tick's start
  bool quietTickSeen_ = false;         // a tick since the last frame found none
  std::uint64_t kept_ = 0;             // values kept since the start
  std::uint64_t framesSinceValue_ = 0; // frames taken since the last kept value
  double lastValueSeconds_ = 0;
  double pendingGapSeconds_ = 0; // gap seen since the last kept value
  std::vector<Segment> segments_{Segment{}};
  std::vector<Gap> gaps_;
};

} // namespace dynlog
