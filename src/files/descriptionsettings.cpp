#include "files/descriptionsettings.h"

#include "base/text.h"

#include <windows.h>

#include <charconv>
#include <utility>

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

// The condition keys; a figure left empty is a condition not set.
constexpr const wchar_t* kStartKey = L"Start"; // "Kraft", "T-Eingang" or empty
constexpr const wchar_t* kStartAtKey = L"StartUeber";
constexpr const wchar_t* kPreKey = L"Vorlauf";
constexpr const wchar_t* kBreakKey = L"StoppBruchProzent";
constexpr const wchar_t* kBreakMinKey = L"StoppBruchAb";
constexpr const wchar_t* kBelowKey = L"StoppUnter";
constexpr const wchar_t* kInputOffKey = L"StoppTEingang";
constexpr const wchar_t* kAfterKey = L"StoppNachSekunden";
constexpr const wchar_t* kRearmKey = L"WiederScharf";
constexpr const wchar_t* kMinimumKey = L"HalteMinimum";
constexpr const wchar_t* kZeroFirstKey = L"NullenVorTest";

bool Flag(const std::wstring& path, const wchar_t* key) {
  return Read(path, kTestSection, key) == "1";
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

ConditionSettings ReadConditionSettings(const std::string& utf8IniPath) {
  const std::wstring path = base::Widen(utf8IniPath);
  ConditionSettings settings;
  TestConditions& c = settings.conditions;
  const std::string start = Read(path, kTestSection, kStartKey);
  c.start.kind = start == "Kraft"       ? StartCondition::Kind::ForceAbove
                 : start == "T-Eingang" ? StartCondition::Kind::InputOn
                                        : StartCondition::Kind::Manual;
  c.start.threshold = LimitFromText(Read(path, kTestSection, kStartAtKey)).value_or(0);
  c.start.preSeconds = LimitFromText(Read(path, kTestSection, kPreKey)).value_or(0);
  c.stop.breakPercent = LimitFromText(Read(path, kTestSection, kBreakKey));
  c.stop.breakMinPeak = LimitFromText(Read(path, kTestSection, kBreakMinKey)).value_or(0);
  c.stop.fallBelow = LimitFromText(Read(path, kTestSection, kBelowKey));
  c.stop.inputOff = Flag(path, kInputOffKey);
  c.stop.afterSeconds = LimitFromText(Read(path, kTestSection, kAfterKey));
  c.rearm = Flag(path, kRearmKey);
  if (c.Refusal())
    c = {};
  settings.holdMinimum = Flag(path, kMinimumKey);
  settings.zeroFirst = Flag(path, kZeroFirstKey);
  return settings;
}

bool WriteConditionSettings(const std::string& utf8IniPath, const ConditionSettings& settings) {
  const std::wstring path = base::Widen(utf8IniPath);
  const TestConditions& c = settings.conditions;
  using Kind = StartCondition::Kind;
  const bool byForce = c.start.kind == Kind::ForceAbove;
  const std::pair<const wchar_t*, std::string> keys[] = {
      {kStartKey, byForce                         ? "Kraft"
                  : c.start.kind == Kind::InputOn ? "T-Eingang"
                                                  : ""},
      {kStartAtKey, byForce ? LimitText(c.start.threshold) : ""},
      {kPreKey, LimitText(c.start.preSeconds)},
      {kBreakKey, LimitText(c.stop.breakPercent)},
      {kBreakMinKey, c.stop.breakPercent ? LimitText(c.stop.breakMinPeak) : ""},
      {kBelowKey, LimitText(c.stop.fallBelow)},
      {kInputOffKey, c.stop.inputOff ? "1" : "0"},
      {kAfterKey, LimitText(c.stop.afterSeconds)},
      {kRearmKey, c.rearm ? "1" : "0"},
      {kMinimumKey, settings.holdMinimum ? "1" : "0"},
      {kZeroFirstKey, settings.zeroFirst ? "1" : "0"}};
  bool ok = true;
  for (const auto& [key, value] : keys)
    ok = Write(path, kTestSection, key, value) && ok;
  return ok;
}

std::string ReadSeriesFolder(const std::string& utf8IniPath) {
  return Read(base::Widen(utf8IniPath), kTestSection, kSeriesKey);
}

bool WriteSeriesFolder(const std::string& utf8IniPath, std::string_view utf8Folder) {
  return Write(base::Widen(utf8IniPath), kTestSection, kSeriesKey, utf8Folder);
}

} // namespace dynlog
