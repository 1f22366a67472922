// A series in a real folder: tests saved by themselves, reihe.csv after a power failure, and the
// series continued when the folder is opened again.
#include "base/text.h"
#include "support/testfiles.h"
#include "window/seriesfolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace dynlog {
namespace {

using testsupport::ReadBytes;

TEST(SeriesFolderTest, ContinuesAfterACrashAndNeverReplacesATestsFile) {
  testsupport::TempFolder dir;
  const std::string folder = base::Narrow(dir.File(L"Reihe 1"));
  CsvHead head{{2026, 12, 7, 10, 0, 0, 60}, 10, false, 1, "KM470", "COM2"};
  head.test = {ForceUnit::N, {"P-001", "", "", ""}, {std::nullopt, 100}};
  TestResults results;
  results.Add(120.0f, 0);
  head.summary = CsvSummary{{}, results, JudgeMaximum(120.0f, head.test.limits, 1)};
  const std::vector<float> values{120.0f};
  const ValueSeries series{values, {}, [](std::uint64_t) { return 0.0; }};
  const std::wstring list = dir.File(L"Reihe 1\\reihe.csv");
  std::string complete;
  {
    SeriesFolder first(folder);
    EXPECT_EQ(first.AddTest(head, series).file, "P-001_0001.csv");
    // A file of the next test's name is there already (the person put it there): it stays.
    testsupport::WriteBytes(dir.File(L"Reihe 1\\P-001_0002.csv"), "fremd");
    EXPECT_EQ(first.AddTest(head, series).file, "P-001_0002 (2).csv");
    complete = ReadBytes(list);
  }
  EXPECT_EQ(ReadBytes(dir.File(L"Reihe 1\\P-001_0002.csv")), "fremd");
  EXPECT_NE(ReadBytes(dir.File(L"Reihe 1\\P-001_0001.csv")).find("# Urteil;n.i.O.\r\n"),
            std::string::npos);

  // The power failed while a third row was written: half of it is on the disk.
  testsupport::WriteBytes(list, complete + "3;2026-12-07T10:0");
  SeriesFolder again(folder);
  ASSERT_EQ(again.Table().Rows().size(), 2u);
  EXPECT_EQ(again.Table().Statistics({}).failed, 2u);
  EXPECT_EQ(ReadBytes(list), complete) << "the half row is cut off";
  EXPECT_EQ(again.AddTest(head, series).number, 3);
  const std::string grown = ReadBytes(list);
  EXPECT_TRUE(grown.starts_with(complete));
  EXPECT_TRUE(grown.ends_with(";P-001_0003.csv\r\n")) << grown;
}

} // namespace
} // namespace dynlog
