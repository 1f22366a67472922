#pragma once
// The measurement window's save dialog: text file or CSV, and the question before a file is
// replaced.
#include <windows.h>

#include <optional>
#include <string>

namespace dynlog {

// Asks for the file to save to, offering lastName (a name or a pattern such as "*.txt"), which
// then holds the name chosen. The CSV type with a name without ".csv" gets ".csv", and the question
// before replacing is asked for that name. Returns the name as UTF-8, none when the person
// cancelled.
std::optional<std::string> AskSaveName(HWND owner, std::wstring& lastName);

} // namespace dynlog
