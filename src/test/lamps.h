#pragma once
// The six lamps of the measurement window as a recording keeps them with each value: one bit per
// lamp, in km470::Indicator's order. A frame's status byte sets only some of the lamps (the unit
// pages between the limits and gross/net/overload), so the lamps of a frame are those on the
// screen after it. A value averaged from several frames carries a lamp when any of them had it.
#include "link/km470protocol.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace dynlog {

using Lamps = std::uint8_t;

constexpr bool LampLit(Lamps lamps, km470::Indicator which) {
  return (lamps >> static_cast<int>(which)) & 1;
}

// As the window's captions name them.
inline constexpr std::array<std::string_view, km470::kIndicatorCount> kLampNames = {
    "Grenzwert 1", "Grenzwert 2", "Brutto", "Netto", "Unter- Überlast", "T-Eingang"};

class LampTrack {
public:
  // A frame's status byte; averaging: its lamps join those of the frames before it that go into
  // the same value.
  void Frame(std::uint8_t status, bool averaging);
  // The lamps of the value kept with the last frame; the next value collects afresh.
  Lamps Kept();
  // The frames collected for averaging were dropped.
  void ClearAverage() { collected_ = 0; }
  Lamps Now() const { return now_; }

private:
  Lamps now_ = 0;
  Lamps collected_ = 0;
};

} // namespace dynlog
