#pragma once
// Conversions between the program's UTF-8 strings and the system's UTF-16 and ANSI code page.

#include <string>
#include <string_view>

namespace dynlog {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// Characters the ANSI code page lacks become the code page's default character.
std::string Utf8ToAnsi(std::string_view utf8);

} // namespace dynlog
