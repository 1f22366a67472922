#include "client_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace km470sim {

ClientWatch::ClientWatch(const std::string& devicePath) {
  fd_ = UniqueFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (fd_.valid() && ::inotify_add_watch(fd_.get(), devicePath.c_str(), IN_OPEN | IN_CLOSE) < 0)
    fd_.reset();
  if (!fd_.valid())
    std::fprintf(stderr, "km470sim: cannot watch %s (%s); unread bytes stay queued\n",
                 devicePath.c_str(), std::strerror(errno));
}

bool ClientWatch::openedOrClosed() {
  bool changed = false;
  alignas(inotify_event) char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd_.get(), buf, sizeof buf);
    if (n <= 0)
      break;
    for (ssize_t off = 0; off < n;) {
      const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
      if (ev->mask & IN_OPEN) {
        changed |= openCount_ == 0;
        ++openCount_;
      }
      if ((ev->mask & IN_CLOSE) && openCount_ > 0) {
        --openCount_;
        changed |= openCount_ == 0;
      }
      off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
    }
  }
  return changed;
}

} // namespace km470sim
