#pragma once
// The CSV file of a recording, written as UTF-8 (the text file keeps the ANSI code page).
#include "files/csvfile.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace dynlog {

// The local clock now, with the offset from UTC in force at this moment (daylight saving included).
LocalTime LocalTimeNow();

// Writes head and values as the CSV file at utf8Path, replacing one of that name. Throws FileError
// with the German file error text; an old file is then untouched.
void SaveCsvFile(std::string_view utf8Path, const CsvHead& head, const ValueSeries& values);
// The same without ever replacing a file: false, and nothing written, when the name is taken.
bool SaveNewCsvFile(std::string_view utf8Path, const CsvHead& head, const ValueSeries& values);

} // namespace dynlog
