#include "command_reader.h"

namespace km470sim {

std::vector<std::string> CommandReader::feed(std::string_view bytes) {
  std::vector<std::string> commands;
  for (const char c : bytes) {
    if (c == '\r') {
      if (!line_.empty())
        commands.push_back(std::move(line_));
      line_.clear();
    } else if (c == '\n') {
      continue;
    } else if (line_.size() < kMaxLine) {
      line_.push_back(c);
    }
  }
  return commands;
}

} // namespace km470sim
