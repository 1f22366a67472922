#pragma once

#include "piece.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace km470sim {

// Lower-case two-digit hex bytes separated by spaces: "c1 80 81".
std::string hexBytes(std::string_view bytes);

// Text for a log line: printable ASCII as it is, anything else as \xHH (so is a backslash, to
// keep the escape unambiguous).
std::string printable(std::string_view text);

std::string frameLine(std::uint64_t index, int count, std::uint8_t status);

// The log line for an item of a piece that has been written. Frames take `nextFrameIndex`,
// which is advanced.
std::string itemLine(const LogItem& item, std::uint64_t& nextFrameIndex);

} // namespace km470sim
