#pragma once

#include "frame_codec.h"
#include "rng.h"

#include <cstdint>

namespace km470sim {

// Thresholds the simulated unit has been "programmed" with.
inline constexpr int kLimit1 = 3000;
inline constexpr int kLimit2 = 6000;
inline constexpr int kOverload = 9000;
inline constexpr int kUnderload = -500;

// A plausible force over time: load cycles of rest, ramp, hold and release with a little noise.
// One call to next() is one frame; durations scale with the frame rate so that a cycle takes the
// same seconds at 160 and at 320 frames per second. The same seed gives the same samples.
//
// As a pull test (`pull`), each cycle is a rest near zero and a rise to a peak that ends in a
// break: the next frame is back at rest. The trigger input is on exactly during the rise, as a
// test stand's "test running" output would be; there are no stray pulses.
class ForceSignal {
public:
  ForceSignal(std::uint64_t seed, int framesPerSecond, bool pull = false);

  Sample next();

private:
  enum class Phase { Rest, Ramp, Hold, Release };

  void enter(Phase phase);
  int frames(int minMs, int maxMs);
  double level() const;
  bool nextPage();

  Rng rng_;
  int fps_;
  bool pull_;
  Phase phase_ = Phase::Rest;
  int phaseLength_ = 1;
  int phasePos_ = 0;
  double baseline_ = 0;
  double nextBaseline_ = 0;
  double peak_ = 0;
  bool net_ = false;
  bool page_ = false;
  int pageRunLeft_ = 0;
  int triggerLeft_ = 0;
};

} // namespace km470sim
