#include "files/measurementfilewriter.h"
#include "files/recordinghead.h"

#include "base/localeformat.h"
#include "files/csvfilewriter.h"
#include "files/measurementfile.h"
#include "files/textfilewriter.h"

namespace dynlog {

void SaveMeasurementFile(std::string_view utf8Path, SampleRate rate, bool averaging,
                         std::span<const float> values, int decimalPlaces) {
  const std::string dateTime = CurrentDateTimeText();
  const std::string text = BuildMeasurementFile(
      {dateTime, rate, averaging, values, decimalPlaces, SystemNumberSeparators()});
  WriteAnsiTextFile(utf8Path, text);
}

void SaveRecordingFile(std::string_view utf8Path, const Recording& recording) {
  SaveRecordingFile(utf8Path, recording, recording.SavedValues(), recording.Results());
}

void SaveRecordingFile(std::string_view utf8Path, const Recording& recording,
                       const ValueSeries& values, const TestResults& results) {
  if (IsCsvName(utf8Path)) {
    SaveCsvFile(utf8Path, CsvHeadOf(recording, results), values);
    return;
  }
  const RecordingSetting& s = recording.Setting();
  SaveMeasurementFile(utf8Path, s.KeptRate(), s.averaging, values.values, s.decimalPlaces);
}

} // namespace dynlog
