#pragma once

#include <array>
#include <cstdint>

namespace km470sim {

// Counts the unit can show; a frame carries count + kRawOffset as an unsigned 14-bit raw value.
inline constexpr int kMinCount = -1000;
inline constexpr int kMaxCount = 10000;
inline constexpr int kRawOffset = 1000;
inline constexpr int kMaxRaw = 0x3FFF;

// What one measurement frame says: the count and the four status bits of the status byte.
struct Sample {
  int count = 0;
  bool pageSelect = false; // 0: bits 3/4 are limit 1/limit 2; 1: net/gross and overload
  bool bit3 = false;
  bool bit4 = false;
  bool trigger = false;
};

using FrameBytes = std::array<std::uint8_t, 3>;

// The status byte without the value bits: 11 P B4 B3 T 0 0.
std::uint8_t statusFlags(const Sample& sample);

// Encodes a raw value (0..16383) with the status flags of `sample`. Raw values above
// kMaxCount + kRawOffset are deliberately allowed: the noisy line sends them as invalid frames.
FrameBytes encodeRaw(std::uint8_t flags, int raw);

// Encodes a sample whose count lies in kMinCount..kMaxCount.
FrameBytes encodeFrame(const Sample& sample);

} // namespace km470sim
