#include "window/recording.h"

#include <algorithm>

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
  start_ = start;
  state_ = MeasuringState::Running;
  acquisition_.StartRecording();
  results_.Clear();
  savedCount_ = 0;
}

void Recording::Stop() {
  state_ = MeasuringState::Stopped;
}

std::optional<double> Recording::TakeFrame(double value, const FrameSettings& tick) {
  ++frameCount_;
  // The dialog's choice at the line's real frame rate, whatever km470.ini said.
  const int reload =
      acquisition_.SkipCounter() <= 0 ? ReloadValue(tick.rate, FramesPerSecond(tick.baud)) : 0;
  const std::optional<double> kept = acquisition_.TakeFrameValue(value, reload, tick.averaging);
  if (!kept)
    return kept;
  const auto single = static_cast<float>(*kept);
  if (results_.Count() < static_cast<std::uint64_t>(acquisition_.SampleCount()))
    results_.Add(single); // recorded, not only shown
  for (const auto& [id, listener] : listeners_)
    listener(single);
  return kept;
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
  return {setting_.ValuesPerSecond(), setting_.decimalPlaces, separators};
}

MeasurementFileContent Recording::TextFile(std::string_view dateTimeText,
                                           const NumberSeparators& separators) const {
  return {dateTimeText, setting_.KeptRate(),    setting_.averaging,
          Values(),     setting_.decimalPlaces, separators};
}

CsvHead Recording::CsvFileHead() const {
  return {start_,
          setting_.ValuesPerSecond(),
          setting_.averaging,
          setting_.decimalPlaces,
          setting_.identification,
          setting_.port};
}

} // namespace dynlog
