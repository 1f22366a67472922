// A series in a real folder: tests saved by themselves, reihe.csv after a power failure, and the
// series continued when the folder is opened again.
#include "base/text.h"
#include "files/descriptionsettings.h"
#include "files/seriesfolder.h"
#include "support/testfiles.h"

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

TEST(TestSettingsTest, KeptInKm470IniBesideThePortAndReadBack) {
  testsupport::TempFolder dir;
  km470::Settings ini(base::Narrow(dir.File(L"km470.ini")));
  testsupport::WriteBytes(ini.Path(), "[Einstellung]\r\nCOM-Kanal=3\r\n");
  const TestDescription d{ForceUnit::lbf, {"Feder-0012", "J\xC3\xBCrgen", "A7", "neu"}, {0.1, {}}};
  ASSERT_TRUE(WriteTestDescription(ini, d));
  ASSERT_TRUE(WriteSeriesFolder(ini, "C:\\Reihen\\F\xC3\xBC"
                                     "le"));
  const TestDescription back = ReadTestDescription(ini);
  EXPECT_EQ(back.unit, ForceUnit::lbf);
  EXPECT_EQ(back.trace.tester, "J\xC3\xBCrgen");
  EXPECT_EQ(back.trace.part + back.trace.order + back.trace.comment, "Feder-0012A7neu");
  EXPECT_EQ(back.limits, d.limits);
  EXPECT_EQ(ReadSeriesFolder(ini), "C:\\Reihen\\F\xC3\xBC"
                                   "le");
  EXPECT_NE(ReadBytes(ini.Path()).find("COM-Kanal=3"), std::string::npos) << "the port's keys stay";
}

// A km470.ini as older versions wrote it, its values in the system's code page, reads as it always
// did, also after the program has written its own keys into it.
TEST(TestSettingsTest, AnOlderVersionsFileReadsTheSame) {
  testsupport::TempFolder dir;
  km470::Settings ini(base::Narrow(dir.File(L"km470.ini")));
  testsupport::WriteBytes(ini.Path(), "[Einstellung]\r\nCOM-Kanal=$B\r\nBaudrate=9600\r\n"
                                      "Krafteinheit=kN\r\n[Pruefung]\r\nPruefer=J\xFCrgen\r\n");
  for (bool written : {false, true}) {
    SCOPED_TRACE(written);
    EXPECT_EQ(ini.Number("Einstellung", "COM-Kanal", 2), 11);
    EXPECT_EQ(ini.Number("Einstellung", "Baudrate", 19200), 9600);
    const TestDescription read = ReadTestDescription(ini);
    EXPECT_EQ(read.unit, ForceUnit::kN);
    EXPECT_EQ(read.trace.tester, "Jürgen");
    ASSERT_TRUE(WriteSeriesFolder(ini, "C:\\Reihen"));
  }
}

} // namespace
} // namespace dynlog
