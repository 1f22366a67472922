#pragma once
// The measurement window's open dialog: saved tests, text files and CSV, one or several at once.
#include <windows.h>

#include <string>
#include <vector>

namespace dynlog {

// The files chosen, as UTF-8 paths; none when the person cancelled.
std::vector<std::string> AskOpenNames(HWND owner);

} // namespace dynlog
