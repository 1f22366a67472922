#include "output_queue.h"

#include <algorithm>
#include <stdexcept>

namespace km470sim {

void OutputQueue::push(Piece piece) {
  if (!piece.bytes.empty())
    pieces_.push_back(std::move(piece));
}

std::size_t OutputQueue::bytesQueued() const {
  std::size_t n = 0;
  for (const Piece& p : pieces_)
    n += p.bytes.size();
  return n - frontWritten_;
}

std::string_view OutputQueue::front() const {
  if (pieces_.empty())
    return {};
  return std::string_view(pieces_.front().bytes).substr(frontWritten_);
}

std::optional<Piece> OutputQueue::consume(std::size_t n) {
  if (n > front().size())
    throw std::logic_error("more bytes written than offered");
  if (pieces_.empty())
    return std::nullopt;
  frontWritten_ += n;
  if (frontWritten_ < pieces_.front().bytes.size())
    return std::nullopt;
  std::optional<Piece> done(std::move(pieces_.front()));
  pieces_.pop_front();
  frontWritten_ = 0;
  return done;
}

bool OutputQueue::dropUnsentStream() {
  const auto begin = pieces_.begin() + (frontWritten_ > 0 ? 1 : 0);
  const auto kept =
      std::stable_partition(begin, pieces_.end(), [](const Piece& p) { return !p.stream; });
  const bool dropped = kept != pieces_.end();
  pieces_.erase(kept, pieces_.end());
  return dropped;
}

} // namespace km470sim
