#pragma once
// The person's test description kept in km470.ini between program starts: the force unit beside
// the port and baud rate in [Einstellung], the part, people, comment and limits in [Pruefung].
// The keys are plain ASCII, so that the file reads the same in every code page.
#include "test/conditions.h"
#include "test/trace.h"

#include <string>

namespace dynlog {

// What iniPath holds; missing or unreadable keys give the empty description's values (no unit,
// empty texts, no limits).
TestDescription ReadTestDescription(const std::string& utf8IniPath);
// Writes every key; false when the file could not be written.
bool WriteTestDescription(const std::string& utf8IniPath, const TestDescription& description);

// The folder of the series the person chose last (key Reihe in [Pruefung]); empty for none.
std::string ReadSeriesFolder(const std::string& utf8IniPath);
bool WriteSeriesFolder(const std::string& utf8IniPath, std::string_view utf8Folder);

// The conditions of a test that starts and ends by itself, and whether the window holds the
// lowest value instead of the highest, kept in [Pruefung] beside the description.
struct ConditionSettings {
  TestConditions conditions;
  bool holdMinimum = false;
  bool zeroFirst = false; // zero before every test is armed
};
// Conditions edited by hand into ones that cannot work together read as none.
ConditionSettings ReadConditionSettings(const std::string& utf8IniPath);
bool WriteConditionSettings(const std::string& utf8IniPath, const ConditionSettings& settings);

} // namespace dynlog
