#include "force_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace km470sim {

namespace {

// Where the force rests between loads: mostly around zero, sometimes pulled well below it so
// that the underload indication shows up too.
double pickBaseline(Rng& rng) {
  if (rng.chance(180))
    return rng.between(-800, -560);
  return rng.between(-60, 60);
}

// Peak of the next load: a quarter of the loads go past the overload threshold.
double pickPeak(Rng& rng) {
  if (rng.chance(250))
    return rng.between(kOverload + 100, kMaxCount - 60);
  return rng.between(1200, 8800);
}

// Smooth start and end of ramps, as a hydraulic press or a hand on a spring would give.
double ease(double t) {
  return 0.5 - 0.5 * std::cos(std::numbers::pi * t);
}

} // namespace

ForceSignal::ForceSignal(std::uint64_t seed, int framesPerSecond, bool pull)
    : rng_(seed), fps_(std::max(1, framesPerSecond)), pull_(pull) {
  baseline_ = pull_ ? rng_.between(-20, 20) : pickBaseline(rng_);
  // A short first rest, so that a freshly started stream soon shows a changing force; a pull test
  // rests as long as before every later one, so that its start has a rest before it too.
  phase_ = Phase::Rest;
  phaseLength_ = pull_ ? frames(700, 1200) : frames(80, 200);
}

int ForceSignal::frames(int minMs, int maxMs) {
  return std::max(1, rng_.between(minMs, maxMs) * fps_ / 1000);
}

void ForceSignal::enter(Phase phase) {
  phase_ = phase;
  phasePos_ = 0;
  switch (phase) {
  case Phase::Rest:
    baseline_ = pull_ ? rng_.between(-20, 20) : nextBaseline_;
    phaseLength_ = frames(300, 1200);
    break;
  case Phase::Ramp:
    if (pull_) {
      peak_ = rng_.between(2000, 6000);
      phaseLength_ = frames(1200, 2000);
      triggerLeft_ = phaseLength_;
      return;
    }
    peak_ = pickPeak(rng_);
    // The operator switches between gross and net display only now and then.
    if (rng_.chance(350))
      net_ = !net_;
    phaseLength_ = frames(400, 1500);
    break;
  case Phase::Hold:
    phaseLength_ = frames(300, 1200);
    if (rng_.chance(500))
      triggerLeft_ = frames(60, 200);
    break;
  case Phase::Release:
    nextBaseline_ = pickBaseline(rng_);
    phaseLength_ = frames(300, 900);
    break;
  }
}

double ForceSignal::level() const {
  const double t = static_cast<double>(phasePos_) / phaseLength_;
  switch (phase_) {
  case Phase::Rest:
    return baseline_;
  case Phase::Ramp:
    // A part under pull stiffens less as it nears its break.
    return baseline_ + (peak_ - baseline_) * (pull_ ? std::sqrt(t) : ease(t));
  case Phase::Hold:
    // A held load creeps a little.
    return peak_ + 20.0 * std::sin(2.0 * std::numbers::pi * t);
  case Phase::Release:
    return peak_ + (nextBaseline_ - peak_) * ease(t);
  }
  return 0;
}

bool ForceSignal::nextPage() {
  // The unit alternates the two status columns, in runs of one to three frames.
  if (pageRunLeft_ <= 0) {
    page_ = !page_;
    pageRunLeft_ = rng_.between(1, 3);
  }
  --pageRunLeft_;
  return page_;
}

Sample ForceSignal::next() {
  if (phasePos_ >= phaseLength_) {
    switch (phase_) {
    case Phase::Rest:
      enter(Phase::Ramp);
      break;
    case Phase::Ramp:
      enter(pull_ ? Phase::Rest : Phase::Hold); // the break
      break;
    case Phase::Hold:
      enter(Phase::Release);
      break;
    case Phase::Release:
      enter(Phase::Rest);
      break;
    }
  }

  Sample s;
  const double value = level() + rng_.between(-4, 4);
  s.count = std::clamp(static_cast<int>(std::lround(value)), kMinCount, kMaxCount);
  ++phasePos_;

  s.pageSelect = nextPage();
  if (!s.pageSelect) {
    s.bit3 = s.count >= kLimit1;
    s.bit4 = s.count >= kLimit2;
  } else {
    s.bit3 = net_;
    s.bit4 = s.count > kOverload || s.count < kUnderload;
  }
  if (triggerLeft_ > 0) {
    s.trigger = true;
    --triggerLeft_;
  } else {
    // A stray trigger pulse of a single frame, like a bouncing contact.
    s.trigger = !pull_ && rng_.chance(2);
  }
  return s;
}

} // namespace km470sim
