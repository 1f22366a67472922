#include "window/acquisition.h"

namespace dynlog {

bool Acquisition::BeginTick() {
  if (idleTicks_ >= kIdleTickLimit) {
    idleTicks_ = 0;
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
    // The mean of the buffered values and this one, taken as this value plus the mean of the
    // differences to it: the same number, but a steady signal stays exactly what the unit sent
    // (a plain running sum of 32 times 12.34 divided by 32 is not 12.34 in binary floating point).
    double deviation = 0.0;
    for (int i = 0; i < averageCount_; ++i)
      deviation += averageBuffer_[i] - value;
    value += deviation / (averageCount_ + 1);
    averageCount_ = 0;
  }
  sampleValues_[sampleCount_] = static_cast<float>(value);
  if (sampleCount_ < kMaxSamples)
    ++sampleCount_;
  return value;
}

void Acquisition::ClearAverage() {
  averageBuffer_.fill(0.0);
  averageCount_ = 0;
}

} // namespace dynlog
