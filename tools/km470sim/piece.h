#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace km470sim {

// What a run of bytes on the line means, for the event log once the bytes have left.
struct LogItem {
  enum class Kind { Frame, Noise, Reply, Echo };
  Kind kind = Kind::Noise;
  int count = 0;           // Frame: the count it carries
  std::uint8_t status = 0; // Frame: its status byte
  std::string
      bytes; // Noise: the damaged or stray bytes; Reply: the text without CR; Echo: as heard
};

// A unit of output: bytes that belong together (a frame with any noise stuck to it, or one
// reply) and what to log once the last of them has been written.
struct Piece {
  bool stream = true; // part of the measurement stream (dropped when the stream stops)
  std::string bytes;
  std::vector<LogItem> items;
};

} // namespace km470sim
