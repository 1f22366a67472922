#include "window/wintext.h"

#include <climits>
#include <stdexcept>
#include <windows.h>

namespace dynlog {

namespace {

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX))
    throw std::length_error("Text zu lang");
  return static_cast<int>(size);
}

} // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int n = CheckedLength(utf8.size());
  const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, wide.data(), wideSize);
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int n = CheckedLength(wide.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  const std::wstring wide = Utf8ToWide(utf8);
  if (wide.empty())
    return {};
  const int n = CheckedLength(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

} // namespace dynlog
