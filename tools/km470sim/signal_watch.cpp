#include "signal_watch.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

namespace km470sim {

SignalWatch::SignalWatch() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
    throw std::system_error(errno, std::generic_category(), "sigprocmask");
  std::signal(SIGPIPE, SIG_IGN);
  fd_ = UniqueFd(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
  if (!fd_.valid())
    throw std::system_error(errno, std::generic_category(), "signalfd");
}

int SignalWatch::take() {
  signalfd_siginfo info{};
  const ssize_t n = ::read(fd_.get(), &info, sizeof info);
  return n == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo) : 0;
}

} // namespace km470sim
