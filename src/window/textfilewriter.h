#pragma once
// Writes a text file in the system's ANSI code page, as the measurement file is kept.

#include <string_view>

namespace dynlog {

// Creates the file at utf8Path, replacing one of that name, and writes utf8Text converted to the
// ANSI code page (no byte-order mark). Throws FileError (window/fileerrortext.h) with the German
// file error text when the file cannot be created or written. Whatever was written before a
// failure stays in the file.
void WriteAnsiTextFile(std::string_view utf8Path, std::string_view utf8Text);

} // namespace dynlog
