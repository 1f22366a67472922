#include "link/settingsfile.h"

#include "base/text.h"

#include <windows.h>

namespace km470 {
namespace {

std::string& FixedPath() {
  static std::string path;
  return path;
}

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

SettingsLocation::SettingsLocation() : previous_(FixedPath()) {
  FixedPath() = PathInWorkingFolder();
}

SettingsLocation::~SettingsLocation() {
  FixedPath() = previous_;
}

std::string SettingsPath() {
  return FixedPath().empty() ? PathInWorkingFolder() : FixedPath();
}

} // namespace km470
