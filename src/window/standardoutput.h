#pragma once
// Text on standard output for a script that started the program: where it was redirected, or the
// console of the program that started it.
#include <string_view>

namespace dynlog {

void WriteStandardOutput(std::string_view utf8);

} // namespace dynlog
