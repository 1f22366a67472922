#pragma once
// Lets a step run at most once an interval on a clock that only grows: milliseconds, or the
// count of some event. What is held back in between is shown by the next step that is due.

#include <cstdint>

namespace base {

class Throttle {
public:
  explicit Throttle(std::uint64_t interval) : interval_(interval) {}

  // True when the interval since the last yes has passed, or after Release; the next interval
  // then begins at now.
  bool Due(std::uint64_t now) {
    if (!released_ && now - last_ < interval_)
      return false;
    released_ = false;
    last_ = now;
    return true;
  }
  // The next Due says yes whatever the clock: a change that must be seen at once.
  void Release() { released_ = true; }

private:
  std::uint64_t interval_;
  std::uint64_t last_ = 0;
  bool released_ = true;
};

} // namespace base
