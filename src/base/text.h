#pragma once
// The program keeps its texts in UTF-8; the window functions take UTF-16 and files that are "text
// in the system's code page" take the ANSI code page.
#include <string>
#include <string_view>

namespace base {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);
// UTF-8 to the system's ANSI code page (characters it lacks become its default character).
std::string ToAnsi(std::string_view utf8);
// The system's ANSI code page to UTF-8.
std::string FromAnsi(std::string_view ansi);

} // namespace base
