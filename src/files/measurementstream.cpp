#include "files/measurementstream.h"

#include "base/fileerror.h"
#include "base/text.h"
#include "files/measurementfile.h"

#include <windows.h>

namespace dynlog {

MeasurementStream::MeasurementStream(std::string_view utf8Path, bool replace) {
  const std::wstring path = base::Widen(utf8Path);
  file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          replace ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_)
    throw base::FileError(GetLastError());
  // A whole second of values at the fastest rate fits without growing.
  pending_.reserve(16 * 1024);
}

void MeasurementStream::Begin(std::string_view dateTimeText, SampleRate rate, bool averaging,
                              int decimalPlaces, const NumberSeparators& separators) {
  pending_ += MeasurementFileLine1(dateTimeText);
  pending_ += kLineEnd;
  pending_ += MeasurementFileLine2(RateText(rate), averaging);
  pending_ += kLineEnd;
  pending_ += kLineEnd;
  decimalPlaces_ = decimalPlaces;
  separators_ = separators;
}

void MeasurementStream::BeginCsv(const CsvHead& head, const NumberSeparators& separators) {
  pending_ += CsvHeadText(head, separators);
  csv_.emplace(head.valuesPerSecond, head.decimalPlaces, separators);
  separators_ = separators;
}

void MeasurementStream::AppendCsvSummary(const CsvHead& head, const CsvSummary& summary) {
  if (csv_)
    pending_ += CsvSummaryText(head, summary, separators_);
}

void MeasurementStream::Append(float value, double seconds, Lamps lamps) {
  if (csv_) {
    csv_->Append(pending_, value, seconds, lamps);
    ++values_;
    return;
  }
  AppendNumber(pending_, value, decimalPlaces_, kFileSignificantDigits, separators_);
  pending_ += kLineEnd;
  ++values_;
}

void MeasurementStream::Flush() {
  if (!file_)
    return;
  if (!pending_.empty()) {
    // One write of whole lines: a process killed now leaves them all or none of them.
    const std::string bytes = csv_ ? pending_ : base::ToAnsi(pending_);
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      throw base::FileError(CutBack(GetLastError()));
    if (written != bytes.size())
      throw base::FileError(CutBack(ERROR_DISK_FULL));
    pending_.clear();
    size_ += written;
  }
  if (!FlushFileBuffers(file_.get()))
    throw base::FileError(GetLastError());
}

DWORD MeasurementStream::CutBack(DWORD error) {
  // A full disk takes part of the lines: a cut-off "48,4" of 48,46 would read as a value. The
  // file goes back to its last complete line.
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size_);
  if (SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN))
    SetEndOfFile(file_.get());
  return error;
}

void MeasurementStream::Close() {
  Flush();
  if (!file_.Close())
    throw base::FileError(GetLastError());
}

} // namespace dynlog
