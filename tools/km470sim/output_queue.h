#pragma once

#include "piece.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string_view>

namespace km470sim {

// Bytes waiting for the line, piece by piece. The kernel may take fewer bytes than offered;
// a piece counts as sent (and is logged) only when its last byte has been taken.
class OutputQueue {
public:
  void push(Piece piece);

  bool empty() const { return pieces_.empty(); }
  std::size_t bytesQueued() const;

  // The bytes of the front piece not yet written.
  std::string_view front() const;

  // Records that `n` bytes (at most front().size()) were written; returns the piece this
  // completed, if any.
  std::optional<Piece> consume(std::size_t n);

  // Forgets stream pieces that have not started to leave; a frame already half on the line is
  // finished, as a UART finishes the character in progress. Returns whether any was dropped.
  bool dropUnsentStream();

private:
  std::deque<Piece> pieces_;
  std::size_t frontWritten_ = 0;
};

} // namespace km470sim
