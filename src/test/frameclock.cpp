#include "test/frameclock.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace dynlog {

void FrameClock::Frame(double frameSeconds) {
  ++frames_;
  // A pause beyond the frame interval (and the poll's own) is a gap the frame clock did not see.
  if (heardFrame_ && quietTickSeen_ && nowMs_ > lastFrameMs_ + kGapMs &&
      static_cast<double>(nowMs_ - lastFrameMs_ - kGapMs) / 1000 > frameSeconds)
    pendingGapSeconds_ += static_cast<double>(nowMs_ - lastFrameMs_) / 1000 - frameSeconds;
  heardFrame_ = true;
  lastFrameMs_ = nowMs_;
  quietTickSeen_ = false;
  ++framesSinceValue_;
}

void FrameClock::Restart() {
  kept_ = 0;
  framesSinceValue_ = 0;
  lastValueSeconds_ = 0;
  pendingGapSeconds_ = 0;
  segments_.assign(1, Segment{});
  gaps_.clear();
}

double FrameClock::KeepValue(double frameSeconds, double valuesPerSecond) {
  const std::uint64_t index = kept_++;
  const double frameClock = static_cast<double>(framesSinceValue_) * frameSeconds;
  const bool evenlySpaced = std::abs(frameClock - 1 / valuesPerSecond) < 1e-9;
  framesSinceValue_ = 0;
  if (index > 0 && (pendingGapSeconds_ > 0 || !evenlySpaced)) {
    // The values after a gap (or after the thinning started afresh) count from here.
    if (pendingGapSeconds_ > 0)
      gaps_.push_back({index, pendingGapSeconds_});
    segments_.push_back({index, lastValueSeconds_ + frameClock + pendingGapSeconds_});
  }
  pendingGapSeconds_ = 0;
  lastValueSeconds_ = SecondsOf(index, valuesPerSecond);
  return lastValueSeconds_;
}

double FrameClock::StartAt(std::uint64_t first, std::uint64_t index, double valuesPerSecond) {
  // The start value's time becomes 0 s; the values before it keep their distances, gaps included.
  const double zeroAt = lastValueSeconds_;
  std::vector<Segment> rebased;
  if (first < index)
    rebased.push_back({0, SecondsOf(first, valuesPerSecond) - zeroAt});
  for (const Segment& segment : segments_)
    if (segment.firstValue > first && segment.firstValue < index)
      rebased.push_back({segment.firstValue - first, segment.seconds - zeroAt});
  rebased.push_back({index - first, 0});
  segments_ = std::move(rebased);
  std::erase_if(gaps_,
                [&](const Gap& gap) { return gap.firstValue <= first || gap.firstValue > index; });
  for (Gap& gap : gaps_)
    gap.firstValue -= first;
  kept_ -= first;
  lastValueSeconds_ = 0;
  return zeroAt;
}

double FrameClock::SecondsOf(std::uint64_t index, double valuesPerSecond) const {
  // The last segment that starts at or before the value; the first starts at value 0.
  const auto after = std::upper_bound(
      segments_.begin(), segments_.end(), index,
      [](std::uint64_t i, const Segment& segment) { return i < segment.firstValue; });
  const Segment& segment = *std::prev(after);
  return segment.seconds + static_cast<double>(index - segment.firstValue) / valuesPerSecond;
}

GapSummary FrameClock::GapTotal() const {
  GapSummary total{gaps_.size(), 0};
  for (const Gap& gap : gaps_)
    total.seconds += gap.seconds;
  return total;
}

} // namespace dynlog
