#include "event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace km470sim {

EventLog::EventLog(const std::optional<std::string>& path) {
  if (!path)
    return;
  fd_ = UniqueFd(::open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd_.valid())
    throw std::system_error(errno, std::generic_category(), "cannot open log " + *path);
}

void EventLog::line(std::string_view text) {
  if (!fd_.valid() || failed_)
    return;
  std::string buffer(text);
  buffer.push_back('\n');
  std::string_view rest = buffer;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd_.get(), rest.data(), rest.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      // The simulation goes on without a log rather than stopping the line.
      std::fprintf(stderr, "km470sim: writing the log failed: %s\n", std::strerror(errno));
      failed_ = true;
      return;
    }
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
}

} // namespace km470sim
