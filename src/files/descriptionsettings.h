#pragma once
// The person's test description kept in km470.ini between program starts: the force unit beside
// the port and baud rate in [Einstellung], the part, people, comment and limits in [Pruefung].
// The keys are plain ASCII, so that the file reads the same in every code page.
#include "link/settingsfile.h"
#include "test/conditions.h"
#include "test/trace.h"

#include <string>

namespace dynlog {

// What km470.ini holds; missing or unreadable keys give the empty description's values (no unit,
// empty texts, no limits).
TestDescription ReadTestDescription(const km470::Settings& settings);
// Writes every key; false when the file could not be written.
bool WriteTestDescription(km470::Settings& settings, const TestDescription& description);

// The folder of the series the person chose last (key Reihe in [Pruefung]); empty for none.
std::string ReadSeriesFolder(const km470::Settings& settings);
bool WriteSeriesFolder(km470::Settings& settings, std::string_view utf8Folder);

// The conditions of a test that starts and ends by itself, and whether the window holds the
// lowest value instead of the highest, kept in [Pruefung] beside the description.
struct ConditionSettings {
  TestConditions conditions;
  bool holdMinimum = false;
  bool zeroFirst = false; // zero before every test is armed
};
// Conditions edited by hand into ones that cannot work together read as none.
ConditionSettings ReadConditionSettings(const km470::Settings& settings);
bool WriteConditionSettings(km470::Settings& ini, const ConditionSettings& settings);

} // namespace dynlog
