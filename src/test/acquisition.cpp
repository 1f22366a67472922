#include "test/acquisition.h"

#include <cmath>

namespace dynlog {

bool Acquisition::BeginTick() {
  if (idleTicks_ >= kIdleTickLimit) {
    idleTicks_ = 0;
    // A second without a byte is a gap in the stream: the frames buffered before it, perhaps
    // long before, are not averaged with the first ones after it.
    ClearAverage();
    return false;
  }
  ++idleTicks_;
  return true;
}

void Acquisition::EndTick(bool anyByteReceived) {
  if (anyByteReceived)
    idleTicks_ = 0;
}

std::optional<double> Acquisition::TakeFrameValue(double value, int reloadValue, bool averaging) {
  if (skipCounter_ >= 1) {
    --skipCounter_;
    // Normally at most 127 values wait here (32 before the first emission). If the averaging
    // box is ticked while frames are skipped and unticked again before the emission, nothing
    // empties the buffer; a full buffer then stops taking values rather than overrun.
    if (averaging && averageCount_ < kAverageSlots)
      averageBuffer_[averageCount_++] = value;
    return std::nullopt;
  }

  skipCounter_ = reloadValue;
  if (averaging) {
    value = Mean(value);
    averageCount_ = 0;
  }
  if (recordKept_)
    Record(static_cast<float>(value));
  return value;
}

void Acquisition::Record(float value) {
  sampleValues_[sampleCount_] = value;
  if (sampleCount_ < kMaxSamples)
    ++sampleCount_;
}

double Acquisition::Mean(double value) const {
  // The unit's values are counts divided by 1, 10, 100 or 1000, so in thousandths they are whole
  // numbers, and their sum is exact in 64 bits. One division then gives the double nearest the
  // true mean: summing the doubles instead would carry their binary noise into it (the mean of
  // 999,8 and 999,9 would come out as 999.8499999999999 and be shown as 999,8), and a steady
  // signal gives exactly the value the unit sent.
  constexpr double kGrid = 1000;
  std::int64_t sum = 0;
  bool onGrid = true;
  const auto add = [&](double v) {
    const double scaled = v * kGrid;
    const double whole = std::nearbyint(scaled);
    onGrid = onGrid && std::fabs(scaled - whole) < 1e-3 && std::fabs(whole) < 1e15;
    if (onGrid)
      sum += static_cast<std::int64_t>(whole);
  };
  for (int i = 0; i < averageCount_; ++i)
    add(averageBuffer_[i]);
  add(value);
  const int n = averageCount_ + 1;
  if (onGrid)
    return static_cast<double>(sum) / (kGrid * n);
  // Not a value the unit can send: the plain mean, as this value plus the mean of the differences.
  double deviation = 0.0;
  for (int i = 0; i < averageCount_; ++i)
    deviation += averageBuffer_[i] - value;
  return value + deviation / n;
}

void Acquisition::ClearAverage() {
  averageBuffer_.fill(0.0);
  averageCount_ = 0;
}

} // namespace dynlog
