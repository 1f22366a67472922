#include "frame_pacer.h"

#include <algorithm>

namespace km470sim {

FramePacer::FramePacer(int framesPerSecond, std::uint64_t maxBacklog)
    : rate_(std::max(1, framesPerSecond)), maxBacklog_(std::max<std::uint64_t>(1, maxBacklog)) {}

void FramePacer::start(Clock::time_point now) {
  start_ = now;
  next_ = 0;
}

FramePacer::Clock::time_point FramePacer::dueTime(std::uint64_t k) const {
  // Rounded up, so that a frame is never reported as due before dueFrames() counts it.
  const auto ns = (static_cast<std::int64_t>(k) * 1'000'000'000 + rate_ - 1) / rate_;
  return start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(ns));
}

std::uint64_t FramePacer::dueFrames(Clock::time_point now) const {
  if (now < start_)
    return 0;
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start_).count();
  // Frames 0..n-1 are due when start + (n-1)/rate <= now.
  const auto due =
      static_cast<std::uint64_t>(elapsed) * static_cast<std::uint64_t>(rate_) / 1'000'000'000 + 1;
  return due > next_ ? due - next_ : 0;
}

std::uint64_t FramePacer::take(Clock::time_point now, std::uint64_t& skipped) {
  const std::uint64_t due = dueFrames(now);
  skipped = due > maxBacklog_ ? due - maxBacklog_ : 0;
  next_ += due;
  return due - skipped;
}

} // namespace km470sim
