#include "files/seriesfolder.h"

#include "base/fileerror.h"
#include "base/handles.h"
#include "base/localeformat.h"
#include "base/text.h"
#include "files/csvfilewriter.h"
#include "files/textfilewriter.h"

#include <windows.h>

namespace dynlog {
namespace {

std::string ReadWholeFile(const std::wstring& path) {
  base::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      return {}; // no series there yet
    throw base::FileError(error);
  }
  std::string bytes;
  char buffer[64 * 1024];
  DWORD got = 0;
  do {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
      throw base::FileError(GetLastError());
    bytes.append(buffer, got);
  } while (got > 0);
  return bytes;
}

// What lies beyond the whole lines (a row a power failure cut short) goes.
void CutTo(const std::wstring& path, std::size_t size) {
  base::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  if (!file || !SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(file.get()) || !FlushFileBuffers(file.get()))
    throw base::FileError(GetLastError());
}

} // namespace

SeriesFolder::SeriesFolder(std::string utf8Folder) : SeriesFolder(std::move(utf8Folder), true) {}

SeriesFolder SeriesFolder::Peek(std::string utf8Folder) {
  return SeriesFolder(std::move(utf8Folder), false);
}

SeriesFolder::SeriesFolder(std::string utf8Folder, bool make) : folder_(std::move(utf8Folder)) {
  const std::wstring folder = base::Widen(folder_);
  if (make && !CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw base::FileError(GetLastError());
  const std::wstring list = base::Widen(PathOf(kSeriesFileName));
  const std::string bytes = ReadWholeFile(list);
  // A file of that name that is no series is the person's, not ours to replace or append to.
  if (const auto refusal = SeriesListRefusal(bytes, PathOf(kSeriesFileName)))
    throw std::runtime_error(*refusal);
  if (bytes.empty()) {
    // The head is written whole or not at all: an empty or missing file is no series yet.
    if (make)
      WriteUtf8TextFile(PathOf(kSeriesFileName), SeriesHeadText(LocalTimeNow()));
    return;
  }
  SeriesFileContent content = ReadSeriesFile(bytes);
  if (make && content.wholeBytes < bytes.size())
    CutTo(list, content.wholeBytes);
  for (const SeriesRow& row : content.rows)
    table_.Add(row);
}

std::optional<std::string> SeriesFolder::PartRefusal(std::string_view part) const {
  const std::wstring folder = base::Widen(folder_);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0)
      return base::FileErrorText(GetLastError());
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);
  }
  return SeriesPartRefusal(base::Narrow(full), part, table_.NextNumber());
}

std::string SeriesFolder::PathOf(std::string_view file) const {
  std::string path = folder_;
  if (!path.empty() && path.back() != '\\' && path.back() != '/')
    path += '\\';
  return path + std::string(file);
}

std::string SeriesFolder::FileOf(const SeriesRow& row) const {
  // A stream's row names its file as it was given, perhaps with its whole path.
  const bool whole = row.file.find(':') != std::string::npos || row.file.starts_with("\\\\");
  return whole ? row.file : PathOf(row.file);
}

const SeriesRow& SeriesFolder::AddTest(const CsvHead& head, const ValueSeries& values) {
  const int number = table_.NextNumber();
  std::string name;
  // A file of that name (a test whose row a power failure took, one the person put there) stays.
  for (int attempt = 0;; ++attempt) {
    name = SeriesTestFileName(head.test.trace.part, number, attempt);
    if (SaveNewCsvFile(PathOf(name), head, values))
      break;
  }
  const SeriesRow row = RowOfTest(number, head, name, SystemNumberSeparators());
  AppendRow(row);
  table_.Add(row);
  return table_.Rows().back();
}

const SeriesRow& SeriesFolder::AddTestFile(const CsvHead& head, std::string_view utf8Path) {
  const SeriesRow row = RowOfTest(table_.NextNumber(), head, utf8Path, SystemNumberSeparators());
  AppendRow(row);
  table_.Add(row);
  return table_.Rows().back();
}

void SeriesFolder::AppendRow(const SeriesRow& row) {
  const std::string line = SeriesRowText(row, SystemNumberSeparators());
  base::UniqueFile file(CreateFileW(base::Widen(PathOf(kSeriesFileName)).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
  LARGE_INTEGER end{};
  if (!file || !SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END))
    throw base::FileError(GetLastError());
  // One write of one whole line, then to the disk: only a power failure during it leaves half a
  // row, which is cut off when the series is opened again. A full disk cuts it back at once.
  DWORD written = 0;
  DWORD error = 0;
  if (!WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
    error = GetLastError();
  else if (written != line.size())
    error = ERROR_DISK_FULL;
  if (error) {
    if (SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN))
      SetEndOfFile(file.get());
    throw base::FileError(error);
  }
  if (!FlushFileBuffers(file.get()) || !file.Close())
    throw base::FileError(GetLastError());
}

} // namespace dynlog
