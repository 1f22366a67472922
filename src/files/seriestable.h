#pragma once
// A series of tests (Prüfreihe): one row per test as the series table shows it and reihe.csv
// keeps it, and the statistics over the tests' maxima. Pure logic; the folder and its files are
// seriesfolder's.
//
// reihe.csv has the conventions of a test's CSV: UTF-8 with a byte order mark, "#" head lines,
// the column names, then one line per test, fields separated by semicolons, decimals with the
// system's decimal separator and never grouped, lines ended by CR LF. Its head is written once;
// each test appends one whole line, so a file cut short by a power failure ends at most in a
// line without its CR LF, which is not a row and is cut off when the series is opened again.
#include "base/numberformat.h"
#include "files/csvfile.h"
#include "test/forceunit.h"
#include "test/verdict.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dynlog {

inline constexpr std::string_view kSeriesFileName = "reihe.csv";

struct SeriesRow {
  int number = 0;  // running number in the series, from 1
  LocalTime start; // of the test
  std::string part;
  double maximum = 0, minimum = 0, mean = 0; // as the figures read, at `decimals`
  int decimals = 0;
  ForceUnit unit = ForceUnit::None;
  double seconds = 0;  // the test's duration
  std::string verdict; // "i.O.", "n.i.O." or empty (no limits)
  std::string reason;  // why it failed
  std::string file;    // the test's CSV in the series folder
  bool Failed() const { return verdict == "n.i.O."; }
};

// The row of a test saved as `file` under number `number`, from its CSV head with its summary;
// the reason of a failed verdict with the separators given.
SeriesRow RowOfTest(int number, const CsvHead& head, std::string_view file,
                    const NumberSeparators& separators);

// The statistics over the maxima of a series. The standard deviation is the sample's (n - 1);
// Cpk = min(upper - mean, mean - lower) / (3 s), only with both limits and a deviation.
struct SeriesStatistics {
  std::size_t count = 0, passed = 0, failed = 0;
  double mean = 0, minimum = 0, maximum = 0;
  std::optional<double> deviation; // from two tests on
  std::optional<double> cpk;
};

// The rows and their statistics; adding a row costs the same however many there are.
class SeriesTable {
public:
  void Add(const SeriesRow& row);
  const std::vector<SeriesRow>& Rows() const { return rows_; }
  int NextNumber() const { return rows_.empty() ? 1 : rows_.back().number + 1; }
  SeriesStatistics Statistics(const ForceLimits& limits) const;

private:
  std::vector<SeriesRow> rows_;
  // Welford's running mean and sum of squared deviations: no cancellation however many tests.
  double mean_ = 0, squares_ = 0, min_ = 0, max_ = 0;
  std::size_t passed_ = 0, failed_ = 0;
};

// The line beneath the series table: "4 Tests · 3 i.O. · 1 n.i.O. · Maxima: Mittel 101,0 N,
// s 2,58 N, kleinstes 98,0 N, größtes 104,0 N · Cpk 1,16". Figures at the unit's decimals, the
// deviation one decimal finer, Cpk with two; what is not known yet (a deviation before the second
// test, a Cpk without both limits) is left out; "keine Tests" for none.
std::string SeriesStatisticsText(const SeriesStatistics& statistics, int decimalPlaces,
                                 ForceUnit unit, const NumberSeparators& separators);

// The series table's columns on the screen, and one row's cells in them: number, start time of
// day, part, maximum, minimum, mean (with the unit), duration in seconds, verdict with its reason.
inline constexpr std::string_view kSeriesTableColumns[] = {
    "Nr.", "Zeit", "Prüfling", "Maximum", "Minimum", "Mittelwert", "Dauer in s", "Urteil"};
std::vector<std::string> SeriesRowCells(const SeriesRow& row, const NumberSeparators& separators);

// The file's head: byte order mark, "# Prüfreihe;<start>", "# Programm;...", the column names.
std::string SeriesHeadText(const LocalTime& created);
// One row's line, with its CR LF.
std::string SeriesRowText(const SeriesRow& row, const NumberSeparators& separators);

// What an existing reihe.csv holds: its rows, and how many of its bytes are whole lines (the rest
// is a row a power failure cut short). Lines that are no row of the table are passed over.
struct SeriesFileContent {
  std::vector<SeriesRow> rows;
  std::size_t wholeBytes = 0;
  bool headed = false; // the column names are there
};
SeriesFileContent ReadSeriesFile(std::string_view bytes);

// The name of a test's file in the series folder: the part number (characters Windows does not
// allow in a name replaced by "_"; "Test" when there is none) and the running number,
// "Feder-0012_0007.csv"; a later attempt (1, 2, ...) when that name is taken, "... (2).csv".
std::string SeriesTestFileName(std::string_view part, int number, int attempt = 0);

// Whether a file's first bytes are those of a series' list: never a file to write a test into.
bool IsSeriesListHead(std::string_view bytes);

// Checked before a test is measured, so that a test is never taken that cannot be kept. Why the
// bytes of a folder's reihe.csv (named `path`) cannot take a test: "<path> ist keine Prüfreihe von
// dynlog.exe" unless they are a series or nothing.
std::optional<std::string> SeriesListRefusal(std::string_view bytes, std::string_view path);
// Why a test of `part` cannot be kept as test `number` in the folder whose full name is
// `fullFolder`: the full name of its file (with room for a later attempt's " (99)") longer than
// the 259 characters Windows allows, or the name alone longer than 255.
std::optional<std::string> SeriesPartRefusal(std::string_view fullFolder, std::string_view part,
                                             int number);

} // namespace dynlog
