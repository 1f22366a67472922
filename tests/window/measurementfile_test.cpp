#include "window/acquisition.h"
#include "window/measurementfile.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dynlog {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST(MeasurementFileTest, SecondLineNamesRateAndAveragingOnlyForTheMiddleRates) {
  struct Row {
    SampleRate rate;
    const char* withAveraging;
    const char* withoutAveraging;
  };
  const Row rows[] = {
      {SampleRate::Hz320, "Einstellung: 320 Messwerte pro Sekunde",
       "Einstellung: 320 Messwerte pro Sekunde"},
      {SampleRate::Hz160, "Einstellung: 160 Messwerte pro Sekunde",
       "Einstellung: 160 Messwerte pro Sekunde"},
      {SampleRate::Hz80, "Einstellung: 80 Messwerte pro Sekunde mit Mittelung",
       "Einstellung: 80 Messwerte pro Sekunde ohne Mittelung"},
      {SampleRate::Hz40, "Einstellung: 40 Messwerte pro Sekunde mit Mittelung",
       "Einstellung: 40 Messwerte pro Sekunde ohne Mittelung"},
      {SampleRate::Hz20, "Einstellung: 20 Messwerte pro Sekunde mit Mittelung",
       "Einstellung: 20 Messwerte pro Sekunde ohne Mittelung"},
      {SampleRate::Hz10, "Einstellung: 10 Messwerte pro Sekunde mit Mittelung",
       "Einstellung: 10 Messwerte pro Sekunde ohne Mittelung"},
      {SampleRate::Hz5, "Einstellung: 5 Messwerte pro Sekunde mit Mittelung",
       "Einstellung: 5 Messwerte pro Sekunde ohne Mittelung"},
      {SampleRate::Hz2_5, "Einstellung: 2,5 Messwerte pro Sekunde",
       "Einstellung: 2,5 Messwerte pro Sekunde"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MeasurementFileLine2(RateText(r.rate), true), r.withAveraging);
    EXPECT_EQ(MeasurementFileLine2(RateText(r.rate), false), r.withoutAveraging);
  }
}

TEST(MeasurementFileTest, ThreeValuesGiveSixLinesEndedByCrLf) {
  const float values[] = {1234.0f, -1000.0f, 12.5f};
  const std::string text = BuildMeasurementFile(
      {"06.12.2026 09:15:05", SampleRate::Hz10, true, values, 2, GermanSeparators()});
  EXPECT_EQ(text, "Datei erzeugt von Programm dynlog.exe am 06.12.2026 09:15:05\r\n"
                  "Einstellung: 10 Messwerte pro Sekunde mit Mittelung\r\n"
                  "\r\n"
                  "1.234,00\r\n"
                  "-1.000,00\r\n"
                  "12,50\r\n");
}

TEST(MeasurementFileTest, EmptyRecordingStillHasItsHead) {
  const std::string text =
      BuildMeasurementFile({"06.12.2026", SampleRate::Hz2_5, false, {}, 0, GermanSeparators()});
  EXPECT_EQ(text, "Datei erzeugt von Programm dynlog.exe am 06.12.2026\r\n"
                  "Einstellung: 2,5 Messwerte pro Sekunde\r\n"
                  "\r\n");
}

TEST(MeasurementFileTest, FullRecordingGives10003LinesWithoutTheValuesAfterThe10000th) {
  auto acq = std::make_unique<Acquisition>();
  for (int i = 0; i < 32; ++i)
    acq->TakeFrameValue(0.0, 0, false);
  for (int i = 0; i < 10005; ++i)
    acq->TakeFrameValue(i - 1000, 0, false);
  const std::string text = BuildMeasurementFile(
      {"06.12.2026 09:15:05", SampleRate::Hz320, false, acq->Recording(), 0, GermanSeparators()});
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 10003u);
  EXPECT_EQ(lines[3], "-1.000");
  EXPECT_EQ(lines[1003], "0");
  EXPECT_EQ(lines[10002], "8.999");
}

TEST(MeasurementFileTest, AveragedValuesAreRoundedToFiveSignificantDigits) {
  const float values[] = {1234.5f, 10000.4f, 0.125f, -0.0001f};
  const std::vector<std::string> lines = SplitLines(
      BuildMeasurementFile({"x", SampleRate::Hz10, false, values, 0, GermanSeparators()}));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[3], "1.235");
  EXPECT_EQ(lines[4], "10.000");
  EXPECT_EQ(lines[5], "0");
  EXPECT_EQ(lines[6], "0");
}

} // namespace
} // namespace dynlog
