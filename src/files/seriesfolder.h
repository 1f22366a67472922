#pragma once
// A series (Prüfreihe) in its folder: every test saved there as a CSV file of its own under its
// part number and running number, never replacing a file, and one row for it appended to the
// folder's reihe.csv. The row is appended in one write and flushed to the disk before the next
// test, so a power failure loses at most the test that was running; opening the folder again
// continues the series where it ended.
#include "files/csvfile.h"
#include "files/seriestable.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dynlog {

class SeriesFolder {
public:
  // The series kept in utf8Folder, made (folder and reihe.csv) when there is none. A last row cut
  // short is cut off. Throws base::FileError with the German file error text, and
  // std::runtime_error for a reihe.csv that holds no series (SeriesListRefusal's text).
  explicit SeriesFolder(std::string utf8Folder);

  // The series in utf8Folder as the disk has it, for the checks before a test: read, but nothing
  // made, cut or written; no rows where there is no series yet. Throws as the constructor does.
  static SeriesFolder Peek(std::string utf8Folder);

  // Why the series' next test cannot be kept under this part number (SeriesPartRefusal), or
  // nothing when it can.
  std::optional<std::string> PartRefusal(std::string_view part) const;

  const std::string& Folder() const { return folder_; }
  const SeriesTable& Table() const { return table_; }
  // The full name of a file in the folder: a row's test, or reihe.csv.
  std::string PathOf(std::string_view file) const;

  // The full name of a row's test file: in the folder, or where a stream's row names it.
  std::string FileOf(const SeriesRow& row) const;

  // Saves a test (its CSV head with the summary, and its values) as the series' next test and adds
  // its row; returns the row. Throws base::FileError; the series is then as it was, apart from a
  // test file whose row could not be written.
  const SeriesRow& AddTest(const CsvHead& head, const ValueSeries& values);

  // The row of a test written elsewhere (a stream's file, which may grow past what a test in the
  // folder holds): its row names that file as it is given.
  const SeriesRow& AddTestFile(const CsvHead& head, std::string_view utf8Path);

private:
  SeriesFolder(std::string utf8Folder, bool make);
  void AppendRow(const SeriesRow& row);

  std::string folder_;
  SeriesTable table_;
};

} // namespace dynlog
