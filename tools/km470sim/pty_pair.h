#pragma once

#include "unique_fd.h"

#include <cstddef>
#include <string>

namespace km470sim {

// A pseudo-terminal in raw mode. The simulator talks through the master; it also keeps a
// descriptor of the slave open, so that the master never sees a hang-up when the client closes
// the port, and so that it can look at and empty the slave's input queue. It never reads from
// the slave: those bytes are the client's.
class PtyPair {
public:
  PtyPair();

  int master() const { return master_.get(); }
  const std::string& slavePath() const { return slavePath_; }

  // Whether the client has set the line to `baud` (the master reports the slave's settings).
  bool atBaud(int baud) const;

  // Bytes written to the client that it has not read yet.
  std::size_t unreadByClient() const;

  // Throws away what the client has not read, as a serial driver purges its buffer.
  void discardUnread();

private:
  UniqueFd master_;
  UniqueFd slave_;
  std::string slavePath_;
};

} // namespace km470sim
