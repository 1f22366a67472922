#include "port_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace km470sim {

PortLink::PortLink(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target)) {
  struct stat st {};
  if (::lstat(path_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
    throw std::runtime_error(path_ + " exists and is not a symbolic link; not replacing it");

  // Make the new link beside the old one and rename it over, so that the path never
  // disappears in between.
  const std::string temp = path_ + ".km470sim." + std::to_string(::getpid());
  ::unlink(temp.c_str());
  if (::symlink(target_.c_str(), temp.c_str()) != 0)
    throw std::system_error(errno, std::generic_category(), "cannot create link " + path_);
  if (::rename(temp.c_str(), path_.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw std::system_error(err, std::generic_category(), "cannot create link " + path_);
  }
}

PortLink::~PortLink() {
  char buf[4096];
  const ssize_t n = ::readlink(path_.c_str(), buf, sizeof buf);
  if (n >= 0 && std::string(buf, static_cast<std::size_t>(n)) == target_)
    ::unlink(path_.c_str());
}

} // namespace km470sim
