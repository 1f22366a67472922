#include "test/recording.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace dynlog {

void Recording::Subscription::Cancel() {
  if (owner_)
    std::exchange(owner_, nullptr)->Unsubscribe(id_);
}

Recording::Subscription Recording::Subscribe(ValueListener listener, PeakListener peaks,
                                             TestListener tests) {
  listeners_.push_back({nextListener_, std::move(listener), std::move(peaks), std::move(tests)});
  return {this, nextListener_++};
}

void Recording::Unsubscribe(int id) {
  std::erase_if(listeners_, [id](const Listener& entry) { return entry.id == id; });
}

void Recording::Announce(TestEvent::Kind kind, std::optional<StopReason> reason) {
  for (const Listener& listener : listeners_)
    if (listener.tests)
      listener.tests({kind, reason});
}

MeasuringState Recording::State() const {
  switch (phase_) {
  case Phase::Free:
    return MeasuringState::Idle;
  case Phase::Stopping:
  case Phase::Ended:
    return MeasuringState::Stopped;
  default:
    return MeasuringState::Running;
  }
}

void Recording::TakeSetting(const RecordingSetting& setting) {
  setting_ = setting;
  unitText_ = IdentificationText(setting_.identification);
}

void Recording::Propose(const RecordingSetting& next) {
  if (phase_ == Phase::Free) // a recording names its own setting
    TakeSetting(next);
}

void Recording::Start(const RecordingSetting& setting, const LocalTime& start) {
  TakeSetting(setting);
  Reset(start);
  zeroRefusal_.reset();
  watch_ = ConditionWatch(conditions_);
  if (zeroFirst_)
    StartZeroing();
  else
    Arm();
  if (Armed())
    Announce(TestEvent::Kind::Armed);
}

void Recording::StartZeroing() {
  phase_ = Phase::Zeroing;
  zero_.Restart();
  zeroAsked_ = true;
}

void Recording::Reset(const LocalTime& start) {
  test_ = next_;
  counted_ = false;
  start_ = start;
  armedAt_ = start;
  // From here on a value is recorded only once it is known to belong to the test.
  acquisition_.KeepRecording(false);
  acquisition_.StartRecording();
  results_.Clear();
  savedCount_ = 0;
  clock_.Restart();
  endReason_.reset();
  peak_.reset();
  span_ = FrameSpan{}; // the frames before are no value's of this recording
  zeroAsked_ = false;  // a zero asked for before is not taken from this recording's frames
}

void Recording::Arm() {
  phase_ = Phase::Armed;
  ring_ = PreTriggerRing<Kept>(
      PreTriggerCapacity(watch_.Conditions().start.preSeconds, setting_.ValuesPerSecond()));
  testZero_ = ZeroNow();
}

bool Recording::Rearm(const LocalTime& now) {
  if (phase_ != Phase::Ended || !endReason_)
    return false;
  Reset(now);
  watch_.Arm(); // the edges go on: the force must fall back and rise again
  if (zeroFirst_)
    StartZeroing(); // the next part's zero: the last one's fixture may have moved
  else
    Arm();
  if (Armed())
    Announce(TestEvent::Kind::Armed);
  return true;
}

void Recording::ClearAverage() {
  acquisition_.ClearAverage();
  lamps_.ClearAverage();
}

void Recording::EndZeroing() {
  zeroAsked_ = false;
  zeroDone_ = true;
  zeroRefusal_ = zero_.Set(setting_.decimalPlaces, false);
  if (!zeroRefusal_)
    ClearAverage(); // frames from before the zero are not averaged with those after it
  if (phase_ == Phase::Zeroing) {
    if (!zeroRefusal_) {
      Arm();
      return;
    }
    phase_ = Phase::Ended;
    Announce(TestEvent::Kind::Ended);
  } else if (phase_ == Phase::Armed && !zeroRefusal_) {
    Arm(); // the values kept so far carry the old zero
  }
}

std::optional<std::string> Recording::AskZero() {
  if (TestRuns())
    return "Nullen geht nicht während einer Aufnahme.";
  // The frames from now on are the zero's, not a stopped test's.
  if (phase_ == Phase::Stopping)
    phase_ = Phase::Ended;
  zero_.Restart();
  zeroAsked_ = true;
  zeroAskedMs_.reset();
  zeroDone_ = false;
  zeroRefusal_.reset();
  return std::nullopt;
}

void Recording::WaitForZero() {
  // Zeroing before arming waits as the recording does: a silent unit is the run's to name.
  if (!zeroAsked_ || phase_ == Phase::Zeroing)
    return;
  if (!zeroAskedMs_)
    zeroAskedMs_ = clock_.NowMs();
  if (clock_.NowMs() - *zeroAskedMs_ <= kZeroWaitMs)
    return;
  zeroAsked_ = false;
  zeroDone_ = true;
  zeroRefusal_ = "Nullen geht erst, wenn Messwerte kommen: das Gerät hat keine halbe Sekunde "
                 "lang Messwerte gesendet.";
}

bool Recording::TestRuns() const {
  return phase_ == Phase::Test || phase_ == Phase::Zeroing;
}

bool Recording::ClearZero() {
  if (TestRuns())
    return false;
  zeroAsked_ = false;
  zero_.Clear();
  ClearAverage();
  if (phase_ == Phase::Armed)
    Arm();
  return true;
}

bool Recording::Armed() const {
  // Started by hand, the test begins with the first value: there is nothing to wait for.
  return phase_ == Phase::Zeroing ||
         (phase_ == Phase::Armed && watch_.Conditions().StartsByItself());
}

std::string Recording::EndText() const {
  return endReason_ ? dynlog::EndText(*endReason_, watch_.Conditions(), setting_.decimalPlaces)
                    : std::string();
}

std::optional<float> Recording::HeldPeak() const {
  // After the test, the test's own extreme, the one its results name.
  if (State() == MeasuringState::Stopped && results_.Count() > 0)
    return holdMinimum_ ? results_.Min() : results_.Max();
  return peak_;
}

void Recording::Hold(float value) {
  if (!peak_ || (holdMinimum_ ? value < *peak_ : value > *peak_))
    peak_ = value;
}

void Recording::Stop() {
  // No test began: nothing to record, unless it began by hand, where the values still on their
  // way are the test's.
  if (State() != MeasuringState::Running)
    return;
  phase_ = Armed() ? Phase::Ended : Phase::Stopping;
  Announce(TestEvent::Kind::Stopped);
}

void Recording::Describe(const TestDescription& description) {
  next_ = description;
  const bool saved = phase_ != Phase::Free && SampleCount() > 0 && SampleCount() <= savedCount_;
  if (State() != MeasuringState::Running && !saved)
    test_ = description;
}

void Recording::MarkSaved() {
  savedCount_ = SampleCount();
  if (counted_ || phase_ == Phase::Free)
    return;
  counted_ = true;
  if (next_.trace.part == test_.trace.part)
    next_.trace.part = NextPartNumber(test_.trace.part);
}

std::optional<double> Recording::TakeFrame(double figure, const FrameSettings& tick,
                                           std::uint8_t status) {
  lamps_.Frame(status, tick.averaging);
  const int framesPerSecond = FramesPerSecond(tick.baud);
  if (framesPerSecond != zeroFramesPerSecond_ && !zero_.IsSet()) {
    zero_ = ZeroOffset(framesPerSecond); // its half second at the line's frame rate
    zeroFramesPerSecond_ = framesPerSecond;
    if (zeroAsked_)
      zero_.Restart();
  }
  // The zero is the half second's before this frame, which is the first zeroed one.
  if (zeroAsked_ && zero_.Full())
    EndZeroing();
  zero_.TakeFrame(figure, LampLit(lamps_.Now(), km470::Indicator::Overload));
  // Zeroed before the thinning and the averaging: every value after this is a zeroed one.
  const double value = zero_.Apply(figure);
  const double frameSeconds = 1.0 / framesPerSecond;
  clock_.Frame(frameSeconds);
  // Every frame counts for the test's peak and its break, kept or not.
  const auto frame = static_cast<float>(value);
  // The first value of a recording is its 0 s: it stands for the frames it is the mean of, not
  // for those the thinning passed over before it.
  if (clock_.KeptCount() == 0 && acquisition_.AverageCount() == 0)
    span_ = FrameSpan{};
  span_.Take(frame);
  std::optional<StopReason> broke;
  if (phase_ == Phase::Armed || phase_ == Phase::Test) {
    Hold(frame);
    if (phase_ == Phase::Test)
      broke = watch_.Frame(value);
  }
  // The dialog's choice at the line's real frame rate, whatever km470.ini said.
  const int reload = acquisition_.SkipCounter() <= 0 ? ReloadValue(tick.rate, framesPerSecond) : 0;
  const std::size_t slot = acquisition_.SampleCount(); // where a kept value goes
  const std::optional<double> kept = acquisition_.TakeFrameValue(value, reload, tick.averaging);
  if (!kept) {
    if (broke)
      EndAtBreak(frameSeconds);
    return kept;
  }
  const Lamps lamps = lamps_.Kept();
  const bool firstValue = clock_.KeptCount() == 0;
  const double before = clock_.LastValueSeconds();
  const double seconds = clock_.KeepValue(frameSeconds, setting_.ValuesPerSecond());
  // The frames this value stands for came after the one before it, up to this one.
  const double from = firstValue ? seconds : before;
  const FramePeaks frames = span_.Take([&](std::uint64_t at) {
    return std::clamp(seconds - static_cast<double>(span_.frames - at) * frameSeconds, from,
                      seconds);
  });
  TakeValue({static_cast<float>(*kept), lamps, frames}, seconds, slot, firstValue, broke);
  return kept;
}

void Recording::TakeValue(const Kept& kept, double seconds, std::size_t slot, bool firstValue,
                          std::optional<StopReason> broke) {
  const bool input = LampLit(kept.lamps, km470::Indicator::Trigger);
  switch (phase_) {
  case Phase::Free: // recorded by the acquisition as it came
    valueLamps_[slot] = kept.lamps;
    if (results_.Count() < static_cast<std::uint64_t>(acquisition_.SampleCount())) {
      results_.AddFrames(kept.frames);
      results_.Add(kept.value, seconds);
    }
    Hear(kept.value, seconds, kept.lamps, kept.frames);
    break;
  case Phase::Zeroing:
  case Phase::Ended:
    break; // shown only
  case Phase::Armed: {
    const ConditionWatch::Outcome outcome = watch_.Take(kept.value, input, 0);
    if (outcome.step == ConditionWatch::Step::Waiting) {
      ring_.Push(kept);
      break;
    }
    BeginTest(clock_.KeptCount() - 1, kept.value, kept.lamps, kept.frames);
    if (outcome.reason)
      EndByCondition(*outcome.reason);
    break;
  }
  case Phase::Stopping: // on its way after Stop; started by hand, the first one begins the test
    if (firstValue)
      BeginTest(0, kept.value, kept.lamps, kept.frames);
    else
      RecordValue(kept.value, seconds, kept.lamps, kept.frames);
    break;
  case Phase::Test: {
    if (broke) { // at this very frame: the value is the test's last
      RecordValue(kept.value, seconds, kept.lamps, kept.frames);
      EndByCondition(*broke);
      break;
    }
    const ConditionWatch::Outcome outcome = watch_.Take(kept.value, input, seconds);
    if (outcome.step != ConditionWatch::Step::StoppedBefore)
      RecordValue(kept.value, seconds, kept.lamps, kept.frames);
    if (outcome.reason)
      EndByCondition(*outcome.reason);
    break;
  }
  }
}

void Recording::EndAtBreak(double frameSeconds) {
  // The frames after the last kept value, up to the break, are the test's: a pull test's peak is
  // most often among them. They follow that value at the frame clock.
  const FramePeaks frames = span_.Take([&](std::uint64_t at) {
    return clock_.LastValueSeconds() + static_cast<double>(at) * frameSeconds;
  });
  // The results are those of the recorded values: past the 10000 they ended before this.
  if (results_.Count() > 0 && results_.Count() == clock_.KeptCount())
    results_.AddFrames(frames);
  for (const Listener& listener : listeners_)
    if (listener.peaks)
      listener.peaks(frames);
  EndByCondition(StopReason::Break);
}

void Recording::RecordValue(float value, double seconds, Lamps lamps, const FramePeaks& frames) {
  valueLamps_[acquisition_.SampleCount()] = lamps;
  acquisition_.Record(value);
  if (results_.Count() < static_cast<std::uint64_t>(acquisition_.SampleCount())) {
    results_.AddFrames(frames); // recorded, not only shown
    results_.Add(value, seconds);
  }
  Hear(value, seconds, lamps, frames);
}

void Recording::Hear(float value, double seconds, Lamps lamps, const FramePeaks& frames) {
  for (const Listener& listener : listeners_) {
    if (listener.peaks)
      listener.peaks(frames);
    if (listener.values)
      listener.values(value, seconds, lamps);
  }
}

void Recording::BeginTest(std::uint64_t index, float value, Lamps lamps, const FramePeaks& frames) {
  const std::vector<Kept> before = ring_.Take();
  const std::uint64_t first = index - before.size();
  // The start value's time since Start becomes the test's 0 s; the ring's values before it keep
  // their distances, gaps included.
  const double zeroAt = clock_.StartAt(first, index, setting_.ValuesPerSecond());
  start_ = AddSeconds(armedAt_, zeroAt);
  if (phase_ == Phase::Armed)
    phase_ = Phase::Test;
  peak_.reset();
  // Their frames' times move with them.
  const auto rebase = [zeroAt](FramePeaks peaks) {
    peaks.maxSeconds -= zeroAt;
    peaks.minSeconds -= zeroAt;
    return peaks;
  };
  for (std::size_t i = 0; i < before.size(); ++i) {
    Hold(before[i].frames.any ? (holdMinimum_ ? before[i].frames.min : before[i].frames.max)
                              : before[i].value);
    RecordValue(before[i].value, SecondsOf(i), before[i].lamps, rebase(before[i].frames));
  }
  Hold(frames.any ? (holdMinimum_ ? frames.min : frames.max) : value);
  RecordValue(value, 0, lamps, rebase(frames));
  Announce(TestEvent::Kind::Began);
}

void Recording::EndByCondition(StopReason reason) {
  endReason_ = reason;
  phase_ = Phase::Ended;
  Announce(TestEvent::Kind::Ended, reason);
}

double Recording::SecondsOf(std::uint64_t index) const {
  return clock_.SecondsOf(index, setting_.ValuesPerSecond());
}

bool Recording::MayDropWithoutQuestion() const {
  return phase_ == Phase::Free || SampleCount() <= savedCount_;
}

StatusLine Recording::StatusFigures() const {
  return {.state = State(),
          .recorded = SampleCount(),
          .keptRate = setting_.KeptRate(),
          .averaging = setting_.averaging,
          .port = setting_.port,
          .baud = setting_.baud,
          .unit = setting_.port.empty() ? std::string_view() : std::string_view(unitText_),
          .armed = Armed(),
          .zeroed = zero_.IsSet(),
          .zeroing = zeroAsked_,
          .waiting = WaitsForBelow() ? WaitForBelowText(watch_.Conditions().start,
                                                        setting_.decimalPlaces, test_.unit)
                                     : std::string(),
          .end = EndText()};
}

int Recording::PeakFramesPerSecond() const {
  // Where every frame is kept as it came there is nothing between the values to peak in.
  const int framesPerSecond = FramesPerSecond(setting_.baud);
  const bool everyFrame =
      !setting_.averaging && setting_.ValuesPerSecond() >= static_cast<double>(framesPerSecond);
  return everyFrame ? 0 : framesPerSecond;
}

ResultsFormat Recording::Format(const NumberSeparators& separators) const {
  return {setting_.ValuesPerSecond(), setting_.decimalPlaces, separators, test_.unit,
          PeakFramesPerSecond()};
}

Verdict Recording::Judge(const TestResults& results) const {
  return JudgeMaximum(results.Count() ? std::optional(results.Max()) : std::nullopt, test_.limits,
                      setting_.decimalPlaces);
}

} // namespace dynlog
