#pragma once
// The CSV form of a test, for spreadsheets and scripts: head lines starting with "#", then one
// line per value with its time in seconds since Start, the value and the six lamps (0 or 1),
// separated by semicolons. What is known only once the values are in (the end, the results, the
// verdict) stands in the head of a saved file and in "#" lines after the last value of a streamed
// one.
// Decimals use the system's decimal separator; numbers are never grouped in thousands. Lines end
// with CR LF. Text fields are quoted where a reader would otherwise split or cut them (CsvText).
// The text is UTF-8 and starts with a byte order mark: Excel then reads it as UTF-8
// rather than in the code page, and Python's readers skip the mark. Read with pandas:
// read_csv(name, sep=";", decimal=",", comment="#").

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/localtime.h"
#include "base/numberformat.h"
#include "test/lamps.h"
#include "test/results.h"
#include "test/trace.h"
#include "test/values.h"
#include "test/verdict.h"

namespace dynlog {

// The program and its version as the files name it: "dynlog.exe 1.0.0.1".
std::string_view ProgramNameAndVersion();

// What is known of a test once its values are in.
struct CsvSummary {
  LocalTime end;       // the end of the last value's interval
  TestResults results; // of the values in the file
  Verdict verdict;
  std::string endedBy; // the stop condition that ended the test; empty when none did
  // The maximum and the minimum are those of every frame at this rate, not only of the values
  // in the file; 0 when they are the values'.
  int peakFramesPerSecond = 0;
};

struct CsvHead {
  LocalTime start;            // when the recording began
  double valuesPerSecond = 0; // the rate really kept
  bool averaging = false;
  int decimalPlaces = 0;
  std::string identification;        // the unit's answer to the identification query
  std::string port;                  // "COM3"
  TestDescription test;              // unit, part and people, limits
  std::string startCondition;        // empty: started by hand
  double preSeconds = 0;             // kept from before the start condition held
  std::optional<double> zeroOffset;  // the zero taken off every value, in the unit's figure
  std::optional<CsvSummary> summary; // a saved file's; a stream's comes after its values
};

inline constexpr std::string_view kUtf8ByteOrderMark = "\uFEFF"; // EF BB BF in UTF-8

// The head, after the byte order mark: "# Start;...", "# Programm;...", "# Werte pro
// Sekunde;...", "# Mittelung;ja|nein", "# Dezimalstellen;...", "# Gerät;...",
// "# Schnittstelle;...", "# Einheit;N", "# Prüfling;...", "# Prüfer;...", "# Auftrag;...",
// "# Bemerkung;...", "# Untergrenze;...", "# Obergrenze;..." (empty without), with a start
// condition "# Startbedingung;Kraft über 50" and "# Vorlauf in s;0,5", when zeroed
// "# Nullpunkt;12,5", the summary when it is known, then the column names "Zeit in s;Kraft in
// N;Grenzwert 1;...;T-Eingang" ("Wert" without a unit).
std::string CsvHeadText(const CsvHead& head, const NumberSeparators& separators);
// The summary: "# Ende;...", "# Werte;...", "# Dauer in s;...", "# Maximum;...", "# Minimum;...",
// "# Mittelwert;...", where the extremes are of every frame with their seconds ("# Maximum;549,5;
// 0,940625") and "# Spitzenwerte;aus allen 320 Werten/s des Geräts", with limits "#
// Urteil;i.O.|n.i.O." and, failed, "# Grund;...", and when a stop condition ended the test "# Ende
// durch;Bruch bei 40 % des Maximums".
std::string CsvSummaryText(const CsvHead& head, const CsvSummary& summary,
                           const NumberSeparators& separators);

// The value lines, appended one by one with their times, to the decimals the rate needs.
class CsvLines {
public:
  CsvLines(double valuesPerSecond, int decimalPlaces, const NumberSeparators& separators);
  void Append(std::string& out, float value, double seconds, Lamps lamps);

private:
  int decimalPlaces_;
  int timeDecimals_;
  NumberSeparators plain_; // the decimal separator only
};

// The whole file: head, then every value with its time and lamps.
std::string BuildCsvFile(const CsvHead& head, const ValueSeries& values,
                         const NumberSeparators& separators);

// Text from outside (the unit's reply, what a person typed) as one field, quoted as RFC 4180 has
// it: in double quotes, each inner one doubled, when it holds a semicolon, a quote or a "#" (the
// comment sign readers are told of) or starts or ends with a blank; as it is otherwise. It stays
// on its line: control characters inside become one blank and at either end go, since the head's
// lines are comments that a reader ends at the line end whatever the quotes say.
std::string CsvText(std::string_view text);

// A line's fields, separated by semicolons, with quoted fields read back as CsvText writes them;
// a field that does not start with a quote is taken as it stands. Nothing when a quote is left
// open or text follows a closing one.
std::optional<std::vector<std::string>> CsvFields(std::string_view line);

// A "# Maximum" or "# Minimum" line as read: the figure, its decimals, and its time in seconds
// since Start where the line has one after the figure.
struct CsvExtreme {
  double value = 0;
  int decimals = 0;
  std::optional<double> seconds;
};

// A test's CSV read back line by line, as a saved file or a stream writes it: the head's lines
// into `head` (lines it does not know are passed over), the column names, then each value with
// its time and lamps into the values, and after them a stream's end lines. Files from before the
// lamps had columns read with dark lamps.
class CsvReader {
public:
  // One line without its line end (the first without the byte order mark): empty when it was
  // read, otherwise why not, in German.
  std::string_view Line(std::string_view line, TestValues& values);
  // Whether the column names have come.
  bool InValues() const { return part_ != Part::Head; }

  CsvHead head; // its summary is left to the reader of the whole file
  std::optional<LocalTime> end;
  std::string verdictText, verdictReason;     // "# Urteil", "# Grund" as written
  int peakFramesPerSecond = 0;                // "# Spitzenwerte;aus allen 320 Werten/s des Geräts"
  std::optional<CsvExtreme> maximum, minimum; // "# Maximum", "# Minimum" as written

private:
  enum class Part { Head, Values, End };
  std::string_view HeadLine(std::string_view line);
  std::string_view ValueLine(std::string_view line, TestValues& values);

  Part part_ = Part::Head;
  int lampColumns_ = 0;
};

// A test's CSV read back whole, to show a series' test again: its unit and decimal places from
// the head and its values with their times and lamps, as far as its lines are whole.
struct CsvTest {
  ForceUnit unit = ForceUnit::None;
  int decimalPlaces = 0;
  std::vector<float> values;
  std::vector<double> seconds;
  std::vector<Lamps> lamps;
};
CsvTest ReadCsvTest(std::string_view bytes);

// "2026-12-07T19:05:16+01:00" read back; nothing for any other text.
std::optional<LocalTime> LocalTimeFromIso8601(std::string_view text);

// A figure of these files as its text reads, with a point or a comma before its decimals (whose
// number goes to `decimals`); nothing for any other text.
std::optional<double> CsvFigure(std::string_view text, int* decimals = nullptr);

// Whether a file name asks for CSV: it ends in ".csv", in any case.
bool IsCsvName(std::string_view name);

} // namespace dynlog
