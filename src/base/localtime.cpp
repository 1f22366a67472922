#include "base/localtime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dynlog {
namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

} // namespace

LocalTime AddSeconds(const LocalTime& t, double seconds) {
  const long long total = DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL +
                          t.minute * 60LL + t.second + std::llround(seconds);
  const long long days = (total >= 0 ? total : total - 86399) / 86400;
  const long long inDay = total - days * 86400;
  LocalTime later = t;
  CivilFromDays(days, later.year, later.month, later.day);
  later.hour = static_cast<int>(inDay / 3600);
  later.minute = static_cast<int>(inDay / 60 % 60);
  later.second = static_cast<int>(inDay % 60);
  return later;
}

std::string Iso8601(const LocalTime& t) {
  const int offset = std::abs(t.utcOffsetMinutes);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return text;
}

} // namespace dynlog
