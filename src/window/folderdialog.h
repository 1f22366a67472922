#pragma once
// The system's dialog to choose a folder (a series' folder): the file dialog in its folder mode,
// with its path field and the known places, where the system has it (since Windows Vista), else
// the older tree of folders with a button for a new one.
#include <windows.h>

#include <optional>
#include <string>

namespace dynlog {

// Asks for a folder, opened at utf8Start when it names one, with that folder chosen, so that OK
// takes it; its full name as UTF-8, none when the person cancelled.
std::optional<std::string> AskFolder(HWND owner, const std::string& utf8Title,
                                     const std::string& utf8Start);

// AskFolder for a series: a drive's root or a system folder is taken only when the person says so
// to a question that names it; otherwise the dialog is shown again, at that folder.
std::optional<std::string> AskSeriesFolder(HWND owner, const std::string& utf8Start);

} // namespace dynlog
