#pragma once

#include "frame_codec.h"
#include "piece.h"
#include "rng.h"

#include <cstdint>

namespace km470sim {

// Turns one due sample into what goes on the line. Without noise that is the intact frame.
// With noise it now and then adds stray text bytes between or inside frames, loses a byte,
// breaks a frame or sends a count above the valid range. Damage is arranged so that a receiver
// which drops text bytes and resynchronises byte by byte decodes exactly the frames logged as
// intact: after every damaged frame the next one is always intact, and a damaged frame never
// leaves bytes that could pair up with its neighbours into a valid frame.
class LineNoise {
public:
  LineNoise(bool enabled, std::uint64_t seed) : enabled_(enabled), rng_(seed) {}

  Piece render(const Sample& sample);

  // Rendered output was thrown away before it reached the line, so the bytes that did go out
  // may end in a damaged frame: the next frame must be intact.
  void interrupted() { lastDamaged_ = true; }

private:
  std::string strayText(int minBytes, int maxBytes);

  bool enabled_;
  Rng rng_;
  bool lastDamaged_ = false;
};

} // namespace km470sim
