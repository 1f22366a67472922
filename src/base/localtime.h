#pragma once
// A moment on the local clock as the files name it: the date, the time to the second and the
// offset from UTC in force then, so that a file read in another time zone or after a change to
// daylight saving still says when its test ran. Pure: the system's clock is read elsewhere.

#include <string>

namespace dynlog {

// A local time in ISO 8601 with its offset from UTC: 2026-12-07T19:05:16+01:00.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int utcOffsetMinutes = 0; // east of Greenwich positive
};
std::string Iso8601(const LocalTime& time);
// The time `seconds` later (whole seconds, rounded), across days, months and years; the offset
// stays as it was at `time`.
LocalTime AddSeconds(const LocalTime& time, double seconds);

} // namespace dynlog
