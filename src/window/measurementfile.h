#pragma once
// The text of the measurement file: a three-line head (creation time, rate setting, empty line)
// and one recorded value per line, every line ended by CR LF. The text is UTF-8 here; the writer
// turns it into the system's code page.

#include <span>
#include <string>
#include <string_view>

#include "window/numberformat.h"
#include "window/samplerate.h"

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

} // namespace dynlog
