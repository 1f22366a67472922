#pragma once
// The version of a program file as read from its version resource.

#include <string>
#include <string_view>

namespace dynlog {

// "a.b.c.d" from the fixed file information of the file's version resource (the file version;
// the product version is never used), or "0" when the file has none or it cannot be read.
std::string FileVersionText(std::string_view utf8Path);

// FileVersionText of the running program's own file.
std::string RunningProgramVersionText();

} // namespace dynlog
