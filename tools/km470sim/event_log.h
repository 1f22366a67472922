#pragma once

#include "unique_fd.h"

#include <optional>
#include <string>
#include <string_view>

namespace km470sim {

// The event log: one line per event, each written with a single write() so that a reader
// never sees half a line and nothing waits in a buffer. Without a path it writes nothing.
class EventLog {
public:
  explicit EventLog(const std::optional<std::string>& path);

  void line(std::string_view text);

private:
  UniqueFd fd_;
  bool failed_ = false;
};

} // namespace km470sim
