#include "frame_codec.h"

#include <stdexcept>

namespace km470sim {

std::uint8_t statusFlags(const Sample& sample) {
  std::uint8_t b = 0xC0;
  if (sample.pageSelect)
    b |= 0x20;
  if (sample.bit4)
    b |= 0x10;
  if (sample.bit3)
    b |= 0x08;
  if (sample.trigger)
    b |= 0x04;
  return b;
}

FrameBytes encodeRaw(std::uint8_t flags, int raw) {
  if (raw < 0 || raw > kMaxRaw)
    throw std::out_of_range("raw value does not fit into 14 bits");
  const auto r = static_cast<unsigned>(raw);
  return {static_cast<std::uint8_t>((flags & 0xFC) | ((r >> 12) & 0x03)),
          static_cast<std::uint8_t>(0x80 | ((r >> 6) & 0x3F)),
          static_cast<std::uint8_t>(0x80 | (r & 0x3F))};
}

FrameBytes encodeFrame(const Sample& sample) {
  if (sample.count < kMinCount || sample.count > kMaxCount)
    throw std::out_of_range("count outside the unit's range");
  return encodeRaw(statusFlags(sample), sample.count + kRawOffset);
}

} // namespace km470sim
