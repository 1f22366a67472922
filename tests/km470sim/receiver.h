#pragma once

// How a receiver of the unit's line reads frames: text bytes (top bit clear) are dropped before
// framing, a frame is 11xxxxxx 10xxxxxx 10xxxxxx, anything else costs one byte of
// resynchronisation, and counts above 10000 are dropped whole. Written from the byte layout, not
// from the simulator's encoder, so that the two check each other.

#include <cstdint>
#include <string_view>
#include <vector>

namespace km470sim_test {

struct ReceivedFrame {
  int count = 0;
  std::uint8_t status = 0;
  bool operator==(const ReceivedFrame&) const = default;
};

class Receiver {
public:
  void feed(std::string_view bytes) {
    for (const char ch : bytes) {
      const auto b = static_cast<std::uint8_t>(ch);
      if (b & 0x80)
        pending_.push_back(b);
    }
    std::size_t i = 0;
    while (pending_.size() - i >= 3) {
      const std::uint8_t b0 = pending_[i], b1 = pending_[i + 1], b2 = pending_[i + 2];
      if ((b0 & 0xC0) != 0xC0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) {
        ++i;
        ++resyncBytes;
        continue;
      }
      i += 3;
      const int raw = (b0 & 0x03) * 4096 + (b1 & 0x3F) * 64 + (b2 & 0x3F);
      const int count = raw - 1000;
      if (count > 10000) {
        ++outOfRange;
        continue;
      }
      frames.push_back({count, b0});
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
  }

  std::vector<ReceivedFrame> frames;
  int resyncBytes = 0;
  int outOfRange = 0;

private:
  std::vector<std::uint8_t> pending_;
};

inline std::vector<ReceivedFrame> decode(std::string_view bytes) {
  Receiver r;
  r.feed(bytes);
  return r.frames;
}

} // namespace km470sim_test
