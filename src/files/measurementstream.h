#pragma once
// A measurement file written while the values come, for recordings longer than the window's
// 10000 values: the same head and value lines as "Speichern", appended as they are recorded.
// Values are kept in memory until Flush, which writes only whole lines, in one piece, and has the
// system put them on the disk; a process killed at any moment leaves a file of complete lines.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/handles.h"
#include "base/numberformat.h"
#include "files/csvfile.h"
#include "test/samplerate.h"

namespace dynlog {

class MeasurementStream {
public:
  // Creates the file at utf8Path; an existing file is replaced only when `replace` is set.
  // Throws base::FileError with the German file error text.
  MeasurementStream(std::string_view utf8Path, bool replace);

  // The file's head (creation time, rate setting, empty line) and how values are written.
  void Begin(std::string_view dateTimeText, SampleRate rate, bool averaging, int decimalPlaces,
             const NumberSeparators& separators);
  // Or the CSV form's head, and its value lines from then on.
  void BeginCsv(const CsvHead& head, const NumberSeparators& separators);
  // One value line with its time in seconds since Start and its lamps (the CSV form writes them),
  // kept until the next Flush.
  void Append(float value, double seconds, Lamps lamps = 0);
  // After the last value of the CSV form: what only its end knows, as "#" lines. The text file
  // has no place for it.
  void AppendCsvSummary(const CsvHead& head, const CsvSummary& summary);
  // Writes what is kept and waits until the system has it on the disk. Throws base::FileError; a
  // write that fails or takes only part of the lines leaves the file as it was before it.
  void Flush();
  // Flushes and closes the file. Throws base::FileError.
  void Close();

  // Value lines appended so far.
  std::uint64_t Values() const { return values_; }

private:
  // Cuts the file back to its complete lines after a failed write; returns error.
  DWORD CutBack(DWORD error);

  base::UniqueFile file_;
  std::uint64_t size_ = 0; // bytes of the file, all of them whole lines
  std::string pending_;    // UTF-8, whole lines only; the CSV form is written so, the text file
                           // in the ANSI code page
  int decimalPlaces_ = 0;
  NumberSeparators separators_;
  std::uint64_t values_ = 0;
  std::optional<CsvLines> csv_;
};

} // namespace dynlog
