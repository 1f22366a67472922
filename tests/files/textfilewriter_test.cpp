#include "base/fileerror.h"
#include "base/text.h"
#include "files/csvfilewriter.h"
#include "files/measurementfilewriter.h"
#include "files/measurementstream.h"
#include "files/textfilewriter.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace dynlog {
namespace {

using testsupport::ReadBytes;
using testsupport::TempFolder;

// The German text the writer reports for path, or "" when it wrote without complaint.
std::string ErrorWriting(const std::wstring& path, std::string_view text = "x\r\n") {
  try {
    WriteAnsiTextFile(base::Narrow(path), text);
  } catch (const base::FileError& e) {
    return e.what();
  }
  return "";
}

TEST(TextFileWriterTest, WritesTheAnsiCodePageAndReplacesAnOldFile) {
  TempFolder dir;
  const std::wstring path = dir.File(L"Messung.txt");
  WriteAnsiTextFile(base::Narrow(path), std::string(5000, 'z'));
  WriteAnsiTextFile(base::Narrow(path), "Gr\xC3\xB6\xC3\x9F"
                                        "e 1,5\r\n"); // "Größe 1,5"
  const std::string bytes = ReadBytes(path);
  // The CSV, saved and streamed, keeps UTF-8 whatever the code page.
  const CsvHead head{{}, 320, false, 0, "Ger\xC3\xA4t", "COM2"};
  const std::wstring saved = dir.File(L"m.csv"), streamed = dir.File(L"s.csv");
  const std::vector<float> five{5};
  const std::vector<Lamps> lamps{0b10};
  SaveCsvFile(base::Narrow(saved), head, {five, lamps, [](std::uint64_t) { return 4.0; }});
  MeasurementStream stream(base::Narrow(streamed), false);
  stream.BeginCsv(head, {",", ""});
  stream.Append(5, 4.0, 0b10);
  stream.Close();
  for (const std::wstring& csv : {saved, streamed}) {
    EXPECT_EQ(ReadBytes(csv).substr(0, 11), "\xEF\xBB\xBF# Start;");
    EXPECT_NE(ReadBytes(csv).find("# Ger\xC3\xA4t;Ger\xC3\xA4t\r\n"), std::string::npos);
    EXPECT_TRUE(ReadBytes(csv).ends_with("T-Eingang\r\n4,000000;5;0;1;0;0;0;0\r\n"));
  }
  // A series never replaces a test's file.
  EXPECT_FALSE(SaveNewCsvFile(base::Narrow(saved), head, {}));
  EXPECT_NE(ReadBytes(saved).find("4,000000;5"), std::string::npos);
  if (GetACP() == 1252)
    EXPECT_EQ(bytes, "Gr\xF6\xDF"
                     "e 1,5\r\n"); // one byte per umlaut, no byte-order mark
  else
    EXPECT_EQ(bytes, base::ToAnsi("Gr\xC3\xB6\xC3\x9F"
                                  "e 1,5\r\n"));
}

TEST(TextFileWriterTest, NamesWithUmlautsAndLargeTextsArriveWhole) {
  TempFolder dir;
  const std::wstring path = dir.File(L"Kraftme\u00DFung \u00FCber Nacht.txt");
  std::string text;
  for (int i = 0; i < 30000; ++i)
    text += std::to_string(i) + "\r\n";
  WriteAnsiTextFile(base::Narrow(path), text);
  EXPECT_EQ(ReadBytes(path), text);
}

TEST(TextFileWriterTest, FailuresCarryTheGermanFileErrorTexts) {
  TempFolder dir;
  // A folder that does not exist: the name the user gave is wrong.
  EXPECT_EQ(ErrorWriting(dir.File(L"fehlt\\Messung.txt")), "Ungültiger Dateiname");
  // Characters no file name may hold.
  EXPECT_EQ(ErrorWriting(dir.File(L"a<b>.txt")), "Ungültiger Dateiname");
  EXPECT_EQ(ErrorWriting(dir.File(L"a|b?.txt")), "Ungültiger Dateiname");
  // A folder of that name exists.
  CreateDirectoryW(dir.File(L"Ordner.txt").c_str(), nullptr);
  EXPECT_EQ(ErrorWriting(dir.File(L"Ordner.txt")), "Dateizugriff verweigert");
  // Another program holds the file open without sharing it.
  const std::wstring held = dir.File(L"offen.txt");
  const HANDLE h = CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ErrorWriting(held), "Dateizugriff verweigert");
  CloseHandle(h);
  EXPECT_EQ(ErrorWriting(held), "");
  // A read-only file is refused and keeps its content.
  const std::wstring readOnly = dir.File(L"schreibgeschuetzt.txt");
  WriteAnsiTextFile(base::Narrow(readOnly), "alt\r\n");
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(ErrorWriting(readOnly, "neu\r\n"), "Dateizugriff verweigert");
  EXPECT_EQ(ReadBytes(readOnly), "alt\r\n");
  // None of the failures left a temporary file behind.
  EXPECT_EQ(dir.Count(L"*.tmp"), 0);
}

TEST(MeasurementFileWriterTest, SavesHeadAndValuesWithTheSystemSeparators) {
  TempFolder dir;
  const std::wstring path = dir.File(L"werte.txt");
  const float values[] = {1234.0f, -1000.0f, 0.5f};
  SaveMeasurementFile(base::Narrow(path), SampleRate::Hz40, false, values, 1);
  const std::string bytes = ReadBytes(path);
  const std::string prefix = "Datei erzeugt von Programm dynlog.exe am ";
  ASSERT_EQ(bytes.compare(0, prefix.size(), prefix), 0) << bytes;
  const std::size_t lineEnd = bytes.find("\r\n");
  ASSERT_NE(lineEnd, std::string::npos);
  const std::string dateTime = bytes.substr(prefix.size(), lineEnd - prefix.size());
  EXPECT_TRUE(dateTime.size() == 10 || dateTime.size() == 19) << dateTime;
  EXPECT_EQ(bytes.substr(lineEnd), "\r\n"
                                   "Einstellung: 40 Messwerte pro Sekunde ohne Mittelung\r\n"
                                   "\r\n"
                                   "1.234,0\r\n"
                                   "-1.000,0\r\n"
                                   "0,5\r\n");
}

} // namespace
} // namespace dynlog
