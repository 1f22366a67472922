#pragma once
// A test handed on from the window: its chart as shown on the clipboard (bitmap and enhanced
// metafile) or in a PNG file, and its one-page report printed through the system's print dialog
// or saved as a PNG page. The page is reportpage's, the same the modes without a person make.
#include "base/dibsection.h"
#include "base/numberformat.h"
#include "files/reader.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace dynlog {

// The chart as the window shows it, a picture of its pixels, on the clipboard as a bitmap and as
// an enhanced metafile holding that bitmap. Throws std::runtime_error with a German text when the
// clipboard fails.
void CopyShownChart(HWND owner, const base::MemoryBitmap& chart);

// Writes a picture, or the report page, as a PNG file (replaced only once the new one is whole).
// Throws base::FileError or std::runtime_error with a German text.
void SavePngPicture(std::string_view utf8Path, const base::MemoryBitmap& picture);
void SaveReportPage(std::string_view utf8Path, const OpenedTest& test, std::string_view fileName,
                    const NumberSeparators& separators);

// Asks for a printer with the system's print dialog and prints the report page on it, fitted to the
// printable area at the printer's resolution. False when the person cancelled; throws
// std::runtime_error with a German text when printing fails.
bool PrintReportPage(HWND owner, const OpenedTest& test, std::string_view fileName,
                     const NumberSeparators& separators);

} // namespace dynlog
