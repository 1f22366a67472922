#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace km470sim {

// Collects the command text arriving in arbitrary pieces. A carriage return ends a command; a
// line feed is ignored. An empty line is no command. A line longer than the unit's buffer keeps
// only its start (it can then be no known command, and memory stays bounded).
class CommandReader {
public:
  static constexpr std::size_t kMaxLine = 64;

  std::vector<std::string> feed(std::string_view bytes);

  // Forgets a partly received command (the line was garbled).
  void reset() { line_.clear(); }

private:
  std::string line_;
};

} // namespace km470sim
