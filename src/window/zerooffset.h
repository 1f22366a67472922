#pragma once
// Zero (Nullen): the mean force of the last half second becomes the zero, and every later value
// has it subtracted until it is cleared. The unit's protocol has no tare command, so a fixture's
// own weight is taken off here. Pure logic.
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

  // Every decoded frame, zero set or not: its figure and whether the unit reported under- or
  // overload with it.
  void TakeFrame(double figure, bool overload);
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
