#pragma once

#include "unique_fd.h"

#include <string>

namespace km470sim {

// Notices when the client opens the port or closes it for good, by watching the terminal's
// device node. A serial driver starts with empty buffers when a port is opened; on a pty the
// bytes sent while nobody listened would still be waiting, so the simulator throws them away
// at these moments. Works without it if the watch cannot be set up.
class ClientWatch {
public:
  explicit ClientWatch(const std::string& devicePath);

  int fd() const { return fd_.get(); }

  // Reads the pending notifications; true if the client's first descriptor was opened or its
  // last one closed.
  bool openedOrClosed();

private:
  UniqueFd fd_;
  int openCount_ = 0;
};

} // namespace km470sim
