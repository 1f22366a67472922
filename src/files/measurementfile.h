#pragma once
// The text of the measurement file: a three-line head (creation time, rate setting, empty line)
// and one recorded value per line, every line ended by CR LF. The text is UTF-8 here; the writer
// turns it into the system's code page.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/numberformat.h"
#include "test/samplerate.h"
#include "test/values.h"

namespace dynlog {

inline constexpr std::string_view kLineEnd = "\r\n";

// "Datei erzeugt von Programm dynlog.exe am " and the date/time text, without the line end.
std::string MeasurementFileLine1(std::string_view dateTimeText);

// "Einstellung: 10 Messwerte pro Sekunde mit Mittelung", without the line end. The averaging note
// follows only rate texts shorter than 3 characters (5 to 80 per second).
std::string MeasurementFileLine2(std::string_view rateText, bool averaging);

struct MeasurementFileContent {
  std::string_view dateTimeText; // line 1, from the system's short date and long time formats
  SampleRate rate;               // the rate dialog's setting at the moment of saving
  bool averaging;                // "Mittelwert bilden" at the moment of saving
  std::span<const float> values; // the counted recording
  int decimalPlaces;             // of the unit's values
  NumberSeparators separators;
};

// The whole file: head, then each value with thousands grouping, exactly decimalPlaces decimals
// and at most 5 significant digits; CR LF after every line, the last one included.
std::string BuildMeasurementFile(const MeasurementFileContent& content);

// The measurement file read back line by line: line 1's date and time, line 2's rate and
// averaging note, the empty line 3, then one value per line at the rate's times (the file has no
// time column). The separators are those of the system that wrote it, and the first value lines
// that tell decide them: a decimal part of other than three digits, two different separators, one
// repeated, or none at all. While every line reads either way, as "1.234" does (1234, or 1,234 at
// three decimals), its values wait, and the system's own separators decide when no line tells.
class MeasurementFileReader {
public:
  explicit MeasurementFileReader(NumberSeparators system) : system_(std::move(system)) {}
  // One line without its line end: empty when it was read, otherwise why not, in German.
  std::string_view Line(std::string_view line, TestValues& values);
  // After the last line: the values still waiting are kept.
  void Finish(TestValues& values);
  bool InValues() const { return lines_ >= 3; }

  std::string created; // line 1's date and time, as written
  SampleRate rate = SampleRate::Hz10;
  bool averaging = false; // " mit Mittelung"; the fast and the slowest rates never say
  int decimalPlaces = 0;

private:
  struct Shape; // a value line's digits and separators
  static bool ShapeOf(std::string_view text, Shape& shape);
  std::string_view HeadLine(std::string_view line, TestValues& values);
  // The separators and decimals a line shows, when it shows them.
  bool Decide(const Shape& shape);
  // The waiting values read with the separators decided.
  void Release(TestValues& values);
  void DecideBySystem();
  std::optional<double> Read(const Shape& shape);

  NumberSeparators system_;
  int lines_ = 0;
  bool decided_ = false;
  std::string decimal_, thousands_; // decimal_ empty: no decimals
  std::string waitingSeparator_;
  std::vector<std::int64_t> waiting_; // lines such as "1.234", as their digits
};

} // namespace dynlog
