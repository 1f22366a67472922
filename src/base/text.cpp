#include "base/text.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace base {
namespace {

int CheckedLength(size_t size) {
  if (size > static_cast<size_t>(INT_MAX))
    throw std::length_error("Text zu lang");
  return static_cast<int>(size);
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty())
    return {};
  const int len = CheckedLength(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), len, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), len, out.data(), n);
  return out;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
  if (text.empty())
    return {};
  const int len = CheckedLength(text.size());
  const int n = WideCharToMultiByte(codePage, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), len, out.data(), n, nullptr, nullptr);
  return out;
}

} // namespace

std::wstring Widen(std::string_view utf8) {
  return ToWide(CP_UTF8, utf8);
}
std::string Narrow(std::wstring_view wide) {
  return FromWide(CP_UTF8, wide);
}
std::string ToAnsi(std::string_view utf8) {
  return FromWide(CP_ACP, Widen(utf8));
}
std::string FromAnsi(std::string_view ansi) {
  return Narrow(ToWide(CP_ACP, ansi));
}

} // namespace base
