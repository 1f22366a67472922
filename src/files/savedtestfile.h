#pragma once
// A saved test read from the disk by the program's reader, in pieces, so that a stream of hours
// is never held as text. The file is opened for reading only and shared with a writer: a stream
// still being written can be opened; it is read as far as it was written.

#include <string_view>

#include "base/numberformat.h"
#include "files/reader.h"

namespace dynlog {

// Throws base::FileError with the German file error text when the file cannot be opened or
// read; what it holds that cannot be read is named in the result's unread line instead.
OpenedTest ReadSavedTestFile(std::string_view utf8Path, const NumberSeparators& system);

} // namespace dynlog
