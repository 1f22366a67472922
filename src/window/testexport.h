#pragma once
// A test handed on from the window: its chart on the clipboard (bitmap and enhanced metafile) or in
// a PNG file, and its one-page report printed through the system's print dialog or saved as a PNG
// page. The pictures are testpicture's and reportpage's, the same the modes without a person make.
#include "window/numberformat.h"
#include "window/testfilereader.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace dynlog {

// Throws std::runtime_error with a German text when the clipboard or the picture fails.
void CopyTestPicture(HWND owner, const OpenedTest& test, const NumberSeparators& separators);

// Writes the chart, or the report page, as a PNG file (replaced only once the new one is whole).
// Throws base::FileError or std::runtime_error with a German text.
void SaveTestPicture(std::string_view utf8Path, const OpenedTest& test,
                     const NumberSeparators& separators);
void SaveReportPage(std::string_view utf8Path, const OpenedTest& test, std::string_view fileName,
                    const NumberSeparators& separators);

// Asks for a printer with the system's print dialog and prints the report page on it, fitted to the
// printable area at the printer's resolution. False when the person cancelled; throws
// std::runtime_error with a German text when printing fails.
bool PrintReportPage(HWND owner, const OpenedTest& test, std::string_view fileName,
                     const NumberSeparators& separators);

} // namespace dynlog
