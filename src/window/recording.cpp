#include "window/recording.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace dynlog {

void Recording::Subscription::Cancel() {
  if (owner_)
    std::exchange(owner_, nullptr)->Unsubscribe(id_);
}

Recording::Subscription Recording::Subscribe(ValueListener listener) {
  listeners_.emplace_back(nextListener_, std::move(listener));
  return {this, nextListener_++};
}

void Recording::Unsubscribe(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void Recording::TakeSetting(const RecordingSetting& setting) {
  setting_ = setting;
  unitText_ = IdentificationText(setting_.identification);
}

void Recording::Propose(const RecordingSetting& next) {
  if (state_ == MeasuringState::Idle) // a recording names its own setting
    TakeSetting(next);
}

void Recording::Start(const RecordingSetting& setting, const LocalTime& start) {
  TakeSetting(setting);
  test_ = next_;
  counted_ = false;
  start_ = start;
  state_ = MeasuringState::Running;
  acquisition_.StartRecording();
  results_.Clear();
  savedCount_ = 0;
  keptCount_ = 0;
  framesSinceValue_ = 0;
  lastValueSeconds_ = 0;
  pendingGapSeconds_ = 0;
  segments_.assign(1, Segment{});
  gaps_.clear();
}

void Recording::Stop() {
  state_ = MeasuringState::Stopped;
}

void Recording::Describe(const TestDescription& description) {
  next_ = description;
  const bool saved =
      state_ != MeasuringState::Idle && SampleCount() > 0 && SampleCount() <= savedCount_;
  if (state_ != MeasuringState::Running && !saved)
    test_ = description;
}

void Recording::MarkSaved() {
  savedCount_ = SampleCount();
  if (counted_ || state_ == MeasuringState::Idle)
    return;
  counted_ = true;
  if (next_.trace.part == test_.trace.part)
    next_.trace.part = NextPartNumber(test_.trace.part);
}

std::optional<double> Recording::TakeFrame(double value, const FrameSettings& tick,
                                           std::uint8_t status) {
  ++frameCount_;
  lamps_.Frame(status, tick.averaging);
  const int framesPerSecond = FramesPerSecond(tick.baud);
  // A pause beyond the frame interval (and the poll's own) is a gap the frame clock did not see.
  const double frameSeconds = 1.0 / framesPerSecond;
  if (lastFrameMs_ && quietTickSeen_ && nowMs_ > *lastFrameMs_ + kGapMs &&
      static_cast<double>(nowMs_ - *lastFrameMs_ - kGapMs) / 1000 > frameSeconds)
    pendingGapSeconds_ += static_cast<double>(nowMs_ - *lastFrameMs_) / 1000 - frameSeconds;
  lastFrameMs_ = nowMs_;
  quietTickSeen_ = false;
  ++framesSinceValue_;
  // The dialog's choice at the line's real frame rate, whatever km470.ini said.
  const int reload = acquisition_.SkipCounter() <= 0 ? ReloadValue(tick.rate, framesPerSecond) : 0;
  const std::size_t slot = acquisition_.SampleCount(); // where a kept value goes
  const std::optional<double> kept = acquisition_.TakeFrameValue(value, reload, tick.averaging);
  if (!kept)
    return kept;
  const Lamps lamps = lamps_.Kept();
  valueLamps_[slot] = lamps;
  const double seconds = TimeOfKeptValue(frameSeconds);
  const auto single = static_cast<float>(*kept);
  if (results_.Count() < static_cast<std::uint64_t>(acquisition_.SampleCount()))
    results_.Add(single, seconds); // recorded, not only shown
  for (const auto& [id, listener] : listeners_)
    listener(single, seconds, lamps);
  return kept;
}

double Recording::TimeOfKeptValue(double frameSeconds) {
  const std::uint64_t index = keptCount_++;
  const double frameClock = static_cast<double>(framesSinceValue_) * frameSeconds;
  const bool evenlySpaced = std::abs(frameClock - 1 / setting_.ValuesPerSecond()) < 1e-9;
  framesSinceValue_ = 0;
  if (index > 0 && (pendingGapSeconds_ > 0 || !evenlySpaced)) {
    // The values after a gap (or after the thinning started afresh) count from here.
    if (pendingGapSeconds_ > 0)
      gaps_.push_back({index, pendingGapSeconds_});
    segments_.push_back({index, lastValueSeconds_ + frameClock + pendingGapSeconds_});
  }
  pendingGapSeconds_ = 0;
  lastValueSeconds_ = SecondsOf(index);
  return lastValueSeconds_;
}

double Recording::SecondsOf(std::uint64_t index) const {
  // The last segment that starts at or before the value; the first starts at value 0.
  const auto after = std::upper_bound(
      segments_.begin(), segments_.end(), index,
      [](std::uint64_t i, const Segment& segment) { return i < segment.firstValue; });
  const Segment& segment = *std::prev(after);
  return segment.seconds +
         static_cast<double>(index - segment.firstValue) / setting_.ValuesPerSecond();
}

GapSummary Recording::GapTotal() const {
  GapSummary total{gaps_.size(), 0};
  for (const Gap& gap : gaps_)
    total.seconds += gap.seconds;
  return total;
}

bool Recording::MayDropWithoutQuestion() const {
  return state_ == MeasuringState::Idle || SampleCount() <= savedCount_;
}

StatusLine Recording::StatusFigures() const {
  return {.state = state_,
          .recorded = SampleCount(),
          .keptRate = setting_.KeptRate(),
          .averaging = setting_.averaging,
          .port = setting_.port,
          .baud = setting_.baud,
          .unit = setting_.port.empty() ? std::string_view() : std::string_view(unitText_)};
}

ResultsFormat Recording::Format(const NumberSeparators& separators) const {
  return {setting_.ValuesPerSecond(), setting_.decimalPlaces, separators, test_.unit};
}

Verdict Recording::Judge(const TestResults& results) const {
  return JudgeMaximum(results.Count() ? std::optional(results.Max()) : std::nullopt, test_.limits,
                      setting_.decimalPlaces);
}

CsvSummary Recording::Summary(const TestResults& results) const {
  const double duration =
      results.Count() ? results.LastSeconds() + 1 / setting_.ValuesPerSecond() : 0;
  return {AddSeconds(start_, duration), results, Judge(results)};
}

CsvHead Recording::CsvFileHead(const TestResults& saved) const {
  CsvHead head = CsvFileHead();
  head.summary = Summary(saved);
  return head;
}

CsvHead Recording::CsvFileHead() const {
  // Averaging is named only where frames were really put together: at a rate that keeps every
  // frame there is nothing between two values to average.
  const bool averaged =
      setting_.averaging && ReloadValue(setting_.chosenRate, FramesPerSecond(setting_.baud)) > 0;
  return {start_,
          setting_.ValuesPerSecond(),
          averaged,
          setting_.decimalPlaces,
          setting_.identification,
          setting_.port,
          test_,
          std::nullopt};
}

} // namespace dynlog
