#include "window/measurementfile.h"

namespace dynlog {

std::string MeasurementFileLine1(std::string_view dateTimeText) {
  std::string line = "Datei erzeugt von Programm dynlog.exe am ";
  line += dateTimeText;
  return line;
}

std::string MeasurementFileLine2(std::string_view rateText, bool averaging) {
  std::string line = "Einstellung: ";
  line += rateText;
  line += " Messwerte pro Sekunde";
  // "2,5", "160" and "320" end here: the note was only ever meant for the middle rates.
  if (rateText.size() < 3)
    line += averaging ? " mit Mittelung" : " ohne Mittelung";
  return line;
}

std::string BuildMeasurementFile(const MeasurementFileContent& content) {
  std::string text;
  // A value line is at most a sign, 6 digits, a group separator, a decimal separator and 3
  // decimals; reserving roughly that keeps a full recording to one allocation.
  text.reserve(256 + content.values.size() * 16);
  text += MeasurementFileLine1(content.dateTimeText);
  text += kLineEnd;
  text += MeasurementFileLine2(RateText(content.rate), content.averaging);
  text += kLineEnd;
  text += kLineEnd;
  for (const float v : content.values) {
    AppendNumber(text, v, content.decimalPlaces, kFileSignificantDigits, content.separators);
    text += kLineEnd;
  }
  return text;
}

} // namespace dynlog
