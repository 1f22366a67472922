#pragma once
// The system's dialog to choose a folder (a series' folder), with a button for a new one.
#include <windows.h>

#include <optional>
#include <string>

namespace dynlog {

// Asks for a folder, starting at utf8Start when it names one; its full name as UTF-8, none when
// the person cancelled.
std::optional<std::string> AskFolder(HWND owner, const std::string& utf8Title,
                                     const std::string& utf8Start);

} // namespace dynlog
