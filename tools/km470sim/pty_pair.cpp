#include "pty_pair.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace km470sim {

namespace {

[[noreturn]] void fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

int speedValue(speed_t s) {
  switch (s) {
  case B0:
    return 0;
  case B1200:
    return 1200;
  case B2400:
    return 2400;
  case B4800:
    return 4800;
  case B9600:
    return 9600;
  case B19200:
    return 19200;
  case B38400:
    return 38400;
  case B57600:
    return 57600;
  case B115200:
    return 115200;
  default:
    return -1;
  }
}

} // namespace

PtyPair::PtyPair() {
  master_ = UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!master_.valid())
    fail("posix_openpt");
  if (::grantpt(master_.get()) != 0)
    fail("grantpt");
  if (::unlockpt(master_.get()) != 0)
    fail("unlockpt");
  char name[128];
  if (::ptsname_r(master_.get(), name, sizeof name) != 0)
    fail("ptsname_r");
  slavePath_ = name;

  slave_ = UniqueFd(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!slave_.valid())
    fail("open pty slave");

  // Raw both ways: no echo, no CR/NL translation, all eight bits. The client sets its own
  // modes as well, but the line must be clean before it does.
  termios t{};
  if (::tcgetattr(slave_.get(), &t) != 0)
    fail("tcgetattr");
  ::cfmakeraw(&t);
  if (::tcsetattr(slave_.get(), TCSANOW, &t) != 0)
    fail("tcsetattr");

  const int flags = ::fcntl(master_.get(), F_GETFL);
  if (flags < 0 || ::fcntl(master_.get(), F_SETFL, flags | O_NONBLOCK) != 0)
    fail("fcntl O_NONBLOCK");
}

bool PtyPair::atBaud(int baud) const {
  termios t{};
  if (::tcgetattr(master_.get(), &t) != 0)
    return false;
  const int out = speedValue(::cfgetospeed(&t));
  const int in = speedValue(::cfgetispeed(&t));
  // An input speed of 0 means "the same as the output speed".
  return out == baud && (in == baud || in == 0);
}

std::size_t PtyPair::unreadByClient() const {
  int n = 0;
  if (::ioctl(slave_.get(), FIONREAD, &n) != 0 || n < 0)
    return 0;
  return static_cast<std::size_t>(n);
}

void PtyPair::discardUnread() {
  ::tcflush(slave_.get(), TCIFLUSH);
}

} // namespace km470sim
