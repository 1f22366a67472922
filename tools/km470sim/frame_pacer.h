#pragma once

#include <chrono>
#include <cstdint>

namespace km470sim {

// Keeps the stream on a fixed schedule: frame k is due at start + k / rate. Frames are counted
// from the schedule, never from the time of the last burst, so late wake-ups do not add up.
class FramePacer {
public:
  using Clock = std::chrono::steady_clock;

  FramePacer(int framesPerSecond, std::uint64_t maxBacklog);

  void start(Clock::time_point now);

  // Frames due by `now` that are still to be handled.
  std::uint64_t dueFrames(Clock::time_point now) const;

  // The frames handed out now, minus any backlog beyond maxBacklog, which is skipped: after a
  // stall the unit does not fire seconds of old frames at once, it simply lost them. Returns
  // the number of frames to send; `skipped` receives how many were passed over.
  std::uint64_t take(Clock::time_point now, std::uint64_t& skipped);

  Clock::time_point dueTime(std::uint64_t k) const;
  Clock::time_point nextDue() const { return dueTime(next_); }

private:
  int rate_;
  std::uint64_t maxBacklog_;
  Clock::time_point start_{};
  std::uint64_t next_ = 0;
};

} // namespace km470sim
