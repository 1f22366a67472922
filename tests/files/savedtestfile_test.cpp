#include "base/fileerror.h"
#include "base/text.h"
#include "files/measurementstream.h"
#include "files/savedtestfile.h"
#include "support/testdata.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <string>

namespace dynlog {
namespace {

// A stream opened while it is still written: the values flushed so far; after its end, all of
// them with its end lines; a missing file is the system's file error.
TEST(SavedTestFileTest, AStreamOpensWhileItIsWrittenAndWhenItIsDone) {
  testsupport::TempFolder dir;
  const std::string path = base::Narrow(dir.File(L"Dauerlauf \xC3\xBC.csv"));
  const CsvHead head{{2026, 12, 8, 6, 0, 0, 60}, 320, false, 1, "KM470", "COM3"};
  MeasurementStream stream(path, false);
  stream.BeginCsv(head, GermanSeparators());
  for (int i = 0; i < 100000; ++i)
    stream.Append(static_cast<float>(i % 1000) / 10, i / 320.0);
  stream.Flush();
  EXPECT_EQ(ReadSavedTestFile(path, GermanSeparators()).values.Count(), 100000u);
  TestResults results;
  results.Add(99.9f, 0);
  stream.AppendCsvSummary(head, {head.start, results, {VerdictOutcome::Pass}});
  stream.Close();
  const OpenedTest done = ReadSavedTestFile(path, GermanSeparators());
  EXPECT_FALSE(done.unread.has_value());
  EXPECT_EQ(done.verdictText, "i.O.");
  EXPECT_EQ(done.values.Value(99999), 99.9f);
  EXPECT_EQ(testsupport::MessageOf([&] { ReadSavedTestFile(path + "x", GermanSeparators()); }),
            base::FileErrorText(ERROR_FILE_NOT_FOUND));
}

} // namespace
} // namespace dynlog
