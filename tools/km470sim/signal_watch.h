#pragma once

#include "unique_fd.h"

namespace km470sim {

// SIGINT, SIGTERM and SIGHUP as readable events on a descriptor, so that the main loop's poll()
// sees them and the program ends through its normal path (link removed, log complete).
// Blocks the signals for the process; SIGPIPE is ignored.
class SignalWatch {
public:
  SignalWatch();

  int fd() const { return fd_.get(); }

  // The signal that arrived, or 0 if none is pending.
  int take();

private:
  UniqueFd fd_;
};

} // namespace km470sim
