#pragma once
// "Speichern": the recording with its head, written to the chosen file.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "test/recording.h"
#include "test/samplerate.h"

namespace dynlog {

// Writes the measurement file for the recording: head with the local date and time now, the rate
// setting given (the dialog's state at the moment of saving), then the values with the user's
// separators. Replaces an existing file. Throws base::FileError with the German file error text.
void SaveMeasurementFile(std::string_view utf8Path, SampleRate rate, bool averaging,
                         std::span<const float> values, int decimalPlaces);

// The recording as the person chose to save it: CSV for a name ending in ".csv" (in any case),
// the measurement file otherwise, each with the recording's own setting in its head (the CSV with
// its test description, end, results and verdict).
void SaveRecordingFile(std::string_view utf8Path, const Recording& recording);
// The same for some of its values with their results, as --record keeps them.
void SaveRecordingFile(std::string_view utf8Path, const Recording& recording,
                       const ValueSeries& values, const TestResults& results);

} // namespace dynlog
