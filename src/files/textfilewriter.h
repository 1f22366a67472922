#pragma once
// Writes a text file in the system's ANSI code page, as the measurement file is kept, or as UTF-8.

#include <string_view>

namespace dynlog {

// Writes utf8Text converted to the ANSI code page (no byte-order mark) as the file at utf8Path,
// replacing one of that name. The text is written to a temporary file in the same folder first,
// which replaces the target only when it is complete. Throws FileError (base/fileerror.h)
// with the German file error text when the file cannot be written; then an old file is untouched
// and no temporary file is left.
void WriteAnsiTextFile(std::string_view utf8Path, std::string_view utf8Text);
// The same with the text's own bytes, UTF-8.
void WriteUtf8TextFile(std::string_view utf8Path, std::string_view utf8Text);
// The same, but a file of that name is never replaced: false, and nothing written, when there is
// one.
bool WriteNewUtf8TextFile(std::string_view utf8Path, std::string_view utf8Text);

} // namespace dynlog
