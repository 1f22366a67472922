#pragma once

#include <optional>
#include <string>

namespace km470sim {

enum class Model { KM470, PT615 };

// What the unit does about one command.
struct Response {
  enum class Stream { Unchanged, Start, Stop };
  std::optional<std::string> reply; // text without the closing CR
  Stream stream = Stream::Unchanged;
};

struct UnitConfig {
  Model model = Model::KM470;
  int decimals = 1;
};

// The unit's command set: "?V" identification, "C00D" decimal places, "C00C" start and
// "C00S" stop. Anything else is ignored, as by the real unit.
Response respond(const std::string& command, const UnitConfig& config);

} // namespace km470sim
