#include "link/settingsfile.h"

#include "base/text.h"
#include "link/profileint.h"

#include <windows.h>

#include <iterator>

namespace km470 {
namespace {

std::string PathInWorkingFolder() {
  const wchar_t name[] = L"km470.ini";
  std::wstring full(GetFullPathNameW(name, 0, nullptr, nullptr), L'\0');
  const DWORD n = GetFullPathNameW(name, static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size())
    return "km470.ini";
  full.resize(n);
  return base::Narrow(full);
}

} // namespace

Settings::Settings() : Settings(PathInWorkingFolder()) {}

Settings::Settings(std::string utf8Path)
    : path_(std::move(utf8Path)), widePath_(base::Widen(path_)) {}

std::string Settings::Text(std::string_view section, std::string_view key) const {
  wchar_t buffer[1024] = {};
  GetPrivateProfileStringW(base::Widen(section).c_str(), base::Widen(key).c_str(), L"", buffer,
                           static_cast<DWORD>(std::size(buffer)), widePath_.c_str());
  return base::Narrow(buffer);
}

int Settings::Number(std::string_view section, std::string_view key, int def) const {
  return ProfileIntFromText(Text(section, key), def);
}

bool Settings::Write(std::string_view section, std::string_view key, std::string_view utf8Value) {
  return WritePrivateProfileStringW(base::Widen(section).c_str(), base::Widen(key).c_str(),
                                    base::Widen(utf8Value).c_str(), widePath_.c_str()) != 0;
}

bool Settings::Remove(std::string_view section, std::string_view key) {
  return WritePrivateProfileStringW(base::Widen(section).c_str(), base::Widen(key).c_str(), nullptr,
                                    widePath_.c_str()) != 0;
}

} // namespace km470
