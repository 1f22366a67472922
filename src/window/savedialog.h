#pragma once
// The measurement window's save dialogs: text file or CSV, or a PNG picture, and the question
// before a file is replaced.
#include <windows.h>

#include <optional>
#include <string>

namespace dynlog {

// Asks for the file to save to, offering lastName (a name or a pattern such as "*.txt"), which
// then holds the name chosen. The name follows the type chosen in the dialog (".txt" or ".csv"),
// so the question before replacing is about the file that will be written; the form of the file
// then follows its name. Returns the name as UTF-8, none when the person cancelled.
std::optional<std::string> AskSaveName(HWND owner, std::wstring& lastName);

// The same for a picture: a PNG file, the name given ".png" when it has no extension.
std::optional<std::string> AskPngName(HWND owner, std::wstring& lastName);

} // namespace dynlog
