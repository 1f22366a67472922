#include "files/descriptionsettings.h"

#include <charconv>
#include <utility>

namespace dynlog {
namespace {

constexpr char kSettingsSection[] = "Einstellung";
constexpr char kTestSection[] = "Pruefung";
constexpr char kUnitKey[] = "Krafteinheit";

struct TextKey {
  const char* key;
  std::string TestTrace::*field;
};
constexpr TextKey kTextKeys[] = {{"Pruefling", &TestTrace::part},
                                 {"Pruefer", &TestTrace::tester},
                                 {"Auftrag", &TestTrace::order},
                                 {"Bemerkung", &TestTrace::comment}};
constexpr const char* kLowerKey = "Untergrenze";
constexpr const char* kUpperKey = "Obergrenze";
constexpr const char* kSeriesKey = "Reihe";

// The shortest text that reads back as the same limit, with a point.
std::string LimitText(const std::optional<double>& limit) {
  if (!limit)
    return {};
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, *limit).ptr;
  return std::string(text, end);
}

// The condition keys; a figure left empty is a condition not set.
constexpr const char* kStartKey = "Start"; // "Kraft", "T-Eingang" or empty
constexpr const char* kStartAtKey = "StartUeber";
constexpr const char* kPreKey = "Vorlauf";
constexpr const char* kBreakKey = "StoppBruchProzent";
constexpr const char* kBreakMinKey = "StoppBruchAb";
constexpr const char* kBelowKey = "StoppUnter";
constexpr const char* kInputOffKey = "StoppTEingang";
constexpr const char* kAfterKey = "StoppNachSekunden";
constexpr const char* kRearmKey = "WiederScharf";
constexpr const char* kMinimumKey = "HalteMinimum";
constexpr const char* kZeroFirstKey = "NullenVorTest";

bool Flag(const km470::Settings& settings, const char* key) {
  return settings.Text(kTestSection, key) == "1";
}

} // namespace

TestDescription ReadTestDescription(const km470::Settings& settings) {
  TestDescription d;
  d.unit = ForceUnitFromText(settings.Text(kSettingsSection, kUnitKey)).value_or(ForceUnit::None);
  for (const TextKey& k : kTextKeys)
    d.trace.*k.field = settings.Text(kTestSection, k.key);
  d.limits.lower = LimitFromText(settings.Text(kTestSection, kLowerKey));
  d.limits.upper = LimitFromText(settings.Text(kTestSection, kUpperKey));
  if (d.limits.lower && d.limits.upper && *d.limits.lower > *d.limits.upper)
    d.limits = {}; // edited by hand into limits nothing can pass
  return d;
}

bool WriteTestDescription(km470::Settings& settings, const TestDescription& d) {
  bool ok = settings.Write(kSettingsSection, kUnitKey, UnitSymbol(d.unit));
  for (const TextKey& k : kTextKeys)
    ok = settings.Write(kTestSection, k.key, d.trace.*k.field) && ok;
  ok = settings.Write(kTestSection, kLowerKey, LimitText(d.limits.lower)) && ok;
  return settings.Write(kTestSection, kUpperKey, LimitText(d.limits.upper)) && ok;
}

ConditionSettings ReadConditionSettings(const km470::Settings& ini) {
  ConditionSettings settings;
  TestConditions& c = settings.conditions;
  const std::string start = ini.Text(kTestSection, kStartKey);
  c.start.kind = start == "Kraft"       ? StartCondition::Kind::ForceAbove
                 : start == "T-Eingang" ? StartCondition::Kind::InputOn
                                        : StartCondition::Kind::Manual;
  c.start.threshold = LimitFromText(ini.Text(kTestSection, kStartAtKey)).value_or(0);
  c.start.preSeconds = LimitFromText(ini.Text(kTestSection, kPreKey)).value_or(0);
  c.stop.breakPercent = LimitFromText(ini.Text(kTestSection, kBreakKey));
  c.stop.breakMinPeak = LimitFromText(ini.Text(kTestSection, kBreakMinKey)).value_or(0);
  c.stop.fallBelow = LimitFromText(ini.Text(kTestSection, kBelowKey));
  c.stop.inputOff = Flag(ini, kInputOffKey);
  c.stop.afterSeconds = LimitFromText(ini.Text(kTestSection, kAfterKey));
  c.rearm = Flag(ini, kRearmKey);
  if (c.Refusal())
    c = {};
  settings.holdMinimum = Flag(ini, kMinimumKey);
  settings.zeroFirst = Flag(ini, kZeroFirstKey);
  return settings;
}

bool WriteConditionSettings(km470::Settings& ini, const ConditionSettings& settings) {
  const TestConditions& c = settings.conditions;
  using Kind = StartCondition::Kind;
  const bool byForce = c.start.kind == Kind::ForceAbove;
  const std::pair<const char*, std::string> keys[] = {
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
    ok = ini.Write(kTestSection, key, value) && ok;
  return ok;
}

std::string ReadSeriesFolder(const km470::Settings& settings) {
  return settings.Text(kTestSection, kSeriesKey);
}

bool WriteSeriesFolder(km470::Settings& settings, std::string_view utf8Folder) {
  return settings.Write(kTestSection, kSeriesKey, utf8Folder);
}

} // namespace dynlog
