#include "unit_responder.h"

namespace km470sim {

Response respond(const std::string& command, const UnitConfig& config) {
  Response r;
  if (command == "?V") {
    r.reply = config.model == Model::PT615 ? "PT615 V2.03" : "KM470 V2.03";
  } else if (command == "C00D") {
    r.reply = "D" + std::to_string(config.decimals);
  } else if (command == "C00C") {
    r.stream = Response::Stream::Start;
  } else if (command == "C00S") {
    r.stream = Response::Stream::Stop;
  }
  return r;
}

} // namespace km470sim
