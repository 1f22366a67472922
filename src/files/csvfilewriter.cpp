#include "files/csvfilewriter.h"

#include "base/localeformat.h"
#include "files/textfilewriter.h"

#include <windows.h>

namespace dynlog {

LocalTime LocalTimeNow() {
  SYSTEMTIME utc, local;
  GetSystemTime(&utc);
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  // The offset is the difference of the two clocks, whole minutes.
  FILETIME u, l;
  SystemTimeToFileTime(&utc, &u);
  SystemTimeToFileTime(&local, &l);
  const auto ticks = [](const FILETIME& f) {
    return static_cast<long long>(ULARGE_INTEGER{{f.dwLowDateTime, f.dwHighDateTime}}.QuadPart);
  };
  const long long minutes = (ticks(l) - ticks(u)) / (10'000'000LL * 60);
  return {local.wYear,
          local.wMonth,
          local.wDay,
          local.wHour,
          local.wMinute,
          local.wSecond,
          static_cast<int>(minutes)};
}

void SaveCsvFile(std::string_view utf8Path, const CsvHead& head, const ValueSeries& values) {
  WriteUtf8TextFile(utf8Path, BuildCsvFile(head, values, SystemNumberSeparators()));
}

bool SaveNewCsvFile(std::string_view utf8Path, const CsvHead& head, const ValueSeries& values) {
  return WriteNewUtf8TextFile(utf8Path, BuildCsvFile(head, values, SystemNumberSeparators()));
}

} // namespace dynlog
