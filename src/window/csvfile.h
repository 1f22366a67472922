#pragma once
// The CSV form of a test, for spreadsheets and scripts: a few head lines starting with "#", then
// one line per value with its time in seconds since Start and the value, separated by semicolons.
// Decimals use the system's decimal separator; numbers are never grouped in thousands. Lines end
// with CR LF. The text is UTF-8 and starts with a byte order mark: Excel then reads it as UTF-8
// rather than in the code page, and Python's readers skip the mark. Read with pandas:
// read_csv(name, sep=";", decimal=",", comment="#").

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "window/numberformat.h"

namespace dynlog {

// A local time in ISO 8601 with its offset from UTC: 2026-12-07T19:05:16+01:00.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int utcOffsetMinutes = 0; // east of Greenwich positive
};
std::string Iso8601(const LocalTime& time);

struct CsvHead {
  LocalTime start;            // when the recording began
  double valuesPerSecond = 0; // the rate really kept
  bool averaging = false;
  int decimalPlaces = 0;
  std::string identification; // the unit's answer to the identification query
  std::string port;           // "COM3"
};

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The head, after the byte order mark: "# Start;...", "# Werte pro Sekunde;...", "#
// Mittelung;ja|nein", "# Dezimalstellen;...",
// "# Gerät;...", "# Schnittstelle;...", then the column names "Zeit in s;Wert".
std::string CsvHeadText(const CsvHead& head, const NumberSeparators& separators);

// The value lines, appended one by one with their times, to the decimals the rate needs.
class CsvLines {
public:
  CsvLines(double valuesPerSecond, int decimalPlaces, const NumberSeparators& separators);
  void Append(std::string& out, float value, double seconds);

private:
  int decimalPlaces_;
  int timeDecimals_;
  NumberSeparators plain_; // the decimal separator only
};

// The whole file: head, then every value at the time secondsOf(index) gives it.
std::string BuildCsvFile(const CsvHead& head, std::span<const float> values,
                         const std::function<double(std::uint64_t)>& secondsOf,
                         const NumberSeparators& separators);

// Whether a file name asks for CSV: it ends in ".csv", in any case.
bool IsCsvName(std::string_view name);

} // namespace dynlog
