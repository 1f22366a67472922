#pragma once

#include <string>

namespace km470sim {

// A symbolic link to the terminal, for example a Wine COM port. An existing symbolic link is
// replaced; anything else at that path is left alone and reported. The link is removed again
// when this object goes, unless someone has since pointed it elsewhere.
class PortLink {
public:
  PortLink(std::string path, std::string target);
  ~PortLink();

  PortLink(const PortLink&) = delete;
  PortLink& operator=(const PortLink&) = delete;

private:
  std::string path_;
  std::string target_;
};

} // namespace km470sim
