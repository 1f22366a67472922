#pragma once
// Zero (Nullen): the mean force of a half second becomes the zero, and every later value has it
// subtracted until it is cleared. The unit's protocol has no tare command, so a fixture's own
// weight is taken off here. Pure logic.
//
// The half second is one that began after the zero was asked for (Restart): frames from before
// it may be a stopped test's load, or a part that was still in the fixture. And the force must be
// at rest in it: a spread of more than kRestDigits of the unit's last digit is a hand or a load
// still on the fixture, whose mean would be a zero for nothing.
//
// The offset is kept in the unit's counts (its figure times 10^decimals), and a value is zeroed in
// counts too: the zeroed figure is exact at the unit's decimals, one rounding of the mean and none
// of the values, so the display, the files and the limits read the same number.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace dynlog {

class ZeroOffset {
public:
  // framesPerSecond: the unit's frame rate at the port's baud rate.
  explicit ZeroOffset(int framesPerSecond = 320);

  static constexpr int kRestDigits = 10;

  // Every decoded frame, zero set or not: its figure and whether the unit reported under- or
  // overload with it.
  void TakeFrame(double figure, bool overload);
  // The frames taken so far no longer count: the next zero is of frames after this.
  void Restart();
  // A whole half second of frames has come since the start or Restart.
  bool Full() const { return count_ == recent_.size(); }
  // Sets the zero to the mean of the last half second; a German line when it cannot.
  std::optional<std::string> Set(int decimalPlaces, bool recordingRuns);
  void Clear() { offsetCounts_.reset(); }

  bool IsSet() const { return offsetCounts_.has_value(); }
  // The zero in the unit's figure; 0 when none is set.
  double Offset() const;
  // The figure with the zero taken off.
  double Apply(double figure) const;

private:
  std::vector<double> recent_; // the last half second's figures, a ring
  std::size_t next_ = 0;
  std::size_t count_ = 0;
  std::size_t overloadFrames_ = 0; // of those in the ring
  std::vector<bool> overload_;
  std::optional<long long> offsetCounts_;
  int decimals_ = 0;
};

} // namespace dynlog
