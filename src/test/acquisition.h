#pragma once
// The acquisition state of the measurement window: the idle-tick rule of the 50 ms poll, the
// decimation of the unit's frame stream with optional averaging, and the recording.
//
// Use per timer tick:
//   if (!acq.BeginTick()) return;
//   bool any = PollMeasurementFrames([&](const MeasurementFrame& f) {
//     ...indicators from f.Status...
//     if (auto v = acq.TakeFrameValue(f.Value, ReloadValue(rate, baud9600), averaging))
//       ShowValue(*v);
//   });
//   acq.EndTick(any);
//
// Everything lives in fixed arrays inside the object; no call allocates.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace dynlog {

class Acquisition {
public:
  static constexpr int kInitialSkip = 32;
  static constexpr int kAverageSlots = 181;
  static constexpr int kRecordSlots = 10001; // 10000 counted values and one spare slot
  static constexpr std::uint16_t kMaxSamples = 10000;
  static constexpr int kIdleTickLimit = 20;

  // Idle-tick rule, first half. After 20 ticks in a row without any byte, one tick reads nothing
  // (returns false and starts counting again) and the averaging is emptied, as the rate dialog
  // empties it; otherwise counts the tick and returns true.
  bool BeginTick();
  // Idle-tick rule, second half: any received byte, frame or not, resets the idle count.
  void EndTick(bool anyByteReceived);

  // One decoded frame's value. While frames are being skipped the value is buffered (when
  // averaging) and nothing is returned. Otherwise SkipCounter is reloaded from reloadValue, the
  // value is averaged with the buffered ones (when averaging), recorded, and returned for display.
  std::optional<double> TakeFrameValue(double value, int reloadValue, bool averaging);

  // Start: the previous recording is no longer counted (its slots are not erased).
  void StartRecording() { sampleCount_ = 0; }
  // Whether kept values go into the recording; while a test waits for its start they are only
  // returned for display.
  void KeepRecording(bool on) { recordKept_ = on; }
  // A value kept earlier (the seconds before a test's start) goes into the recording now.
  void Record(float value);
  // After the rate dialog has closed: all 181 averaging slots and their count back to zero.
  void ClearAverage();

  int IdleTicks() const { return idleTicks_; }
  int SkipCounter() const { return skipCounter_; }
  int AverageCount() const { return averageCount_; }
  std::uint16_t SampleCount() const { return sampleCount_; }
  // All 10001 slots, including the spare one that takes the values after the 10000th.
  const std::array<float, kRecordSlots>& SampleValues() const { return sampleValues_; }
  // The counted values, SampleValues[0 .. SampleCount - 1].
  std::span<const float> Recording() const { return {sampleValues_.data(), sampleCount_}; }

private:
  // The mean of the buffered values and this one.
  double Mean(double value) const;

  int idleTicks_ = 0;
  int skipCounter_ = kInitialSkip;
  std::array<double, kAverageSlots> averageBuffer_{};
  int averageCount_ = 0;
  std::array<float, kRecordSlots> sampleValues_{};
  std::uint16_t sampleCount_ = 0;
  bool recordKept_ = true;
};

} // namespace dynlog
