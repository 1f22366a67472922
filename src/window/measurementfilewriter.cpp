#include "window/measurementfilewriter.h"

#include "window/localeformat.h"
#include "window/measurementfile.h"
#include "window/textfilewriter.h"

namespace dynlog {

void SaveMeasurementFile(std::string_view utf8Path, SampleRate rate, bool averaging,
                         std::span<const float> values, int decimalPlaces) {
  const std::string dateTime = CurrentDateTimeText();
  const std::string text = BuildMeasurementFile(
      {dateTime, rate, averaging, values, decimalPlaces, SystemNumberSeparators()});
  WriteAnsiTextFile(utf8Path, text);
}

} // namespace dynlog
