#pragma once
// The version text of a program file: "a.b.c.d" from the file version of its version resource.

#include <cstdint>
#include <string>

namespace dynlog {

// The four 16-bit parts of the file version, most significant first, in decimal without leading
// zeros: 0x0002000A, 0x00000007 gives "2.10.0.7".
std::string VersionText(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS);

} // namespace dynlog
