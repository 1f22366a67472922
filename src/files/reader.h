#pragma once
// A saved test opened again: the measurement file, the CSV and a CSV written while the values
// came (with its end lines after the values), read in one pass over pieces of the file as they
// come from the disk, so that a file of hours of values is never held as text. What its head
// says, its values with their times and lamps, and the first line that could not be read: a
// damaged file or one of another program is read as far as it is whole, and nothing after that
// line is taken.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/numberformat.h"
#include "files/csvfile.h"
#include "files/measurementfile.h"
#include "test/results.h"
#include "test/values.h"

namespace dynlog {

enum class TestFileKind { Unknown, MeasurementFile, Csv };

// The first line not read, counted from 1, and why not (German).
struct UnreadLine {
  std::uint64_t line = 0;
  std::string_view why;
};

struct OpenedTest {
  TestFileKind kind = TestFileKind::Unknown;
  // What the head says; the measurement file's only its rate and averaging, and the decimals its
  // values show. The summary holds the results of the values read and, with limits, their
  // verdict.
  CsvHead head;
  std::string created;        // the measurement file's line 1: its date and time as written there
  bool timesFromRate = false; // no time column: value i is at i / rate of the head
  std::string verdictText, verdictReason;     // as the file's end says them, where it does
  std::optional<CsvExtreme> maximum, minimum; // likewise, the CSV's "# Maximum", "# Minimum"
  int peakFramesPerSecond = 0; // the CSV says its extremes are of every frame at this rate
  TestValues values;
  std::optional<UnreadLine> unread;
};

class TestFileReader {
public:
  // The system's separators decide a measurement file's numbers where its lines do not.
  explicit TestFileReader(NumberSeparators system);
  // The next bytes of the file.
  void Feed(std::string_view bytes);
  // Whether a line could not be read: nothing more will be taken.
  bool Stopped() const { return test_.unread.has_value(); }
  // After the last bytes: the test, its blocks built for viewing.
  OpenedTest Finish();

private:
  void TakeLine(std::string_view line);
  void Stop(std::uint64_t line, std::string_view why);

  OpenedTest test_;
  std::optional<CsvReader> csv_;
  std::optional<MeasurementFileReader> text_;
  NumberSeparators system_;
  std::string partial_; // a line begun in one piece and ended in a later one
  std::uint64_t lines_ = 0;
};

// A file read from `read`, which fills the buffer it is given and returns how many bytes it put
// there (0 at the end).
OpenedTest ReadTestFile(const std::function<std::size_t(char*, std::size_t)>& read,
                        const NumberSeparators& system);
OpenedTest ReadTestBytes(std::string_view bytes, const NumberSeparators& system);

// For the window: "Zeile 12 nicht lesbar: kein Messwert".
std::string UnreadLineText(const UnreadLine& unread);
// For the window, of a measurement file: "Zeiten aus der Rate des Dateikopfs (320 Werte/s), die
// Textdatei hat keine Zeitspalte".
std::string TimesFromRateText(double valuesPerSecond, const NumberSeparators& separators);

} // namespace dynlog
