#pragma once

#include "unit_responder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace km470sim {

inline constexpr std::uint64_t kDefaultSeed = 470615;

struct Options {
  std::optional<std::string> linkPath;
  std::optional<std::string> logPath;
  int baud = 19200;
  UnitConfig unit;
  std::uint64_t seed = kDefaultSeed;
  bool noise = false;
  bool echo = false;
  bool pull = false; // the force of a pull test: rises, breaks, rests
  bool help = false;
};

struct UsageError {
  std::string message;
};

// Parses the command line (without the program name). Accepts "--name value" and
// "--name=value".
std::variant<Options, UsageError> parseOptions(int argc, const char* const* argv);

// Frames per second the unit streams at a baud rate.
int framesPerSecond(int baud);

const char* helpText();

} // namespace km470sim
