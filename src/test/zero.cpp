#include "test/zero.h"

#include "base/numberformat.h"

#include <algorithm>
#include <cmath>

namespace dynlog {

namespace {

double Scale(int decimals) {
  static constexpr double kScales[] = {1, 10, 100, 1000};
  return kScales[std::clamp(decimals, 0, 3)];
}

} // namespace

ZeroOffset::ZeroOffset(int framesPerSecond)
    : recent_(static_cast<std::size_t>(std::max(framesPerSecond / 2, 1))),
      overload_(recent_.size()) {}

void ZeroOffset::TakeFrame(double figure, bool overload) {
  if (count_ == recent_.size())
    overloadFrames_ -= overload_[next_] ? 1 : 0;
  else
    ++count_;
  recent_[next_] = figure;
  overload_[next_] = overload;
  overloadFrames_ += overload ? 1 : 0;
  next_ = (next_ + 1) % recent_.size();
}

void ZeroOffset::Restart() {
  count_ = 0;
  next_ = 0;
  overloadFrames_ = 0;
}

std::optional<std::string> ZeroOffset::Set(int decimalPlaces, bool recordingRuns) {
  if (recordingRuns)
    return "Nullen geht nicht während einer Aufnahme.";
  if (count_ == 0)
    return "Nullen geht erst, wenn Messwerte kommen.";
  if (overloadFrames_ > 0)
    return "Nullen geht nicht bei Unter- oder Überlast.";
  double sum = 0;
  // The ring's slots up to count_ are all this half second's: it is emptied from its start.
  const auto [low, high] = std::minmax_element(recent_.begin(), recent_.begin() + count_);
  const double digit = 1 / Scale(decimalPlaces);
  if (*high - *low > kRestDigits * digit + digit / 2)
    return "Nullen geht nur in Ruhe: die Kraft schwankte in der halben Sekunde um " +
           FormatNumber(*high - *low, decimalPlaces, kDisplaySignificantDigits,
                        GermanSeparators()) +
           " (erlaubt " +
           FormatNumber(kRestDigits * digit, decimalPlaces, kDisplaySignificantDigits,
                        GermanSeparators()) +
           ").";
  for (std::size_t i = 0; i < count_; ++i)
    sum += recent_[i];
  decimals_ = decimalPlaces;
  offsetCounts_ = std::llround(sum / static_cast<double>(count_) * Scale(decimals_));
  return std::nullopt;
}

double ZeroOffset::Offset() const {
  return offsetCounts_ ? static_cast<double>(*offsetCounts_) / Scale(decimals_) : 0;
}

double ZeroOffset::Apply(double figure) const {
  if (!offsetCounts_)
    return figure;
  const double scale = Scale(decimals_);
  return static_cast<double>(std::llround(figure * scale) - *offsetCounts_) / scale;
}

} // namespace dynlog
