#include "window/testsettings.h"

#include "base/text.h"

#include <windows.h>

#include <charconv>

namespace dynlog {
namespace {

constexpr wchar_t kSettingsSection[] = L"Einstellung";
constexpr wchar_t kTestSection[] = L"Pruefung";
constexpr wchar_t kUnitKey[] = L"Krafteinheit";

struct TextKey {
  const wchar_t* key;
  std::string TestTrace::*field;
};
constexpr TextKey kTextKeys[] = {{L"Pruefling", &TestTrace::part},
                                 {L"Pruefer", &TestTrace::tester},
                                 {L"Auftrag", &TestTrace::order},
                                 {L"Bemerkung", &TestTrace::comment}};
constexpr const wchar_t* kLowerKey = L"Untergrenze";
constexpr const wchar_t* kUpperKey = L"Obergrenze";
constexpr const wchar_t* kSeriesKey = L"Reihe";

std::string Read(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[1024] = {};
  GetPrivateProfileStringW(section, key, L"", buffer, static_cast<DWORD>(std::size(buffer)),
                           path.c_str());
  return base::Narrow(buffer);
}

bool Write(const std::wstring& path, const wchar_t* section, const wchar_t* key,
           std::string_view value) {
  return WritePrivateProfileStringW(section, key, base::Widen(value).c_str(), path.c_str()) != 0;
}

// The shortest text that reads back as the same limit, with a point.
std::string LimitText(const std::optional<double>& limit) {
  if (!limit)
    return {};
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, *limit).ptr;
  return std::string(text, end);
}

} // namespace

TestDescription ReadTestDescription(const std::string& utf8IniPath) {
  const std::wstring path = base::Widen(utf8IniPath);
  TestDescription d;
  d.unit = ForceUnitFromText(Read(path, kSettingsSection, kUnitKey)).value_or(ForceUnit::None);
  for (const TextKey& k : kTextKeys)
    d.trace.*k.field = Read(path, kTestSection, k.key);
  d.limits.lower = LimitFromText(Read(path, kTestSection, kLowerKey));
  d.limits.upper = LimitFromText(Read(path, kTestSection, kUpperKey));
  if (d.limits.lower && d.limits.upper && *d.limits.lower > *d.limits.upper)
    d.limits = {}; // edited by hand into limits nothing can pass
  return d;
}

bool WriteTestDescription(const std::string& utf8IniPath, const TestDescription& d) {
  const std::wstring path = base::Widen(utf8IniPath);
  bool ok = Write(path, kSettingsSection, kUnitKey, UnitSymbol(d.unit));
  for (const TextKey& k : kTextKeys)
    ok = Write(path, kTestSection, k.key, d.trace.*k.field) && ok;
  ok = Write(path, kTestSection, kLowerKey, LimitText(d.limits.lower)) && ok;
  return Write(path, kTestSection, kUpperKey, LimitText(d.limits.upper)) && ok;
}

std::string ReadSeriesFolder(const std::string& utf8IniPath) {
  return Read(base::Widen(utf8IniPath), kTestSection, kSeriesKey);
}

bool WriteSeriesFolder(const std::string& utf8IniPath, std::string_view utf8Folder) {
  return Write(base::Widen(utf8IniPath), kTestSection, kSeriesKey, utf8Folder);
}

} // namespace dynlog
