#include "files/measurementfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace dynlog {
namespace {

TEST(MeasurementFileTest, SecondLineNamesAveragingOnlyForTheMiddleRates) {
  const struct {
    SampleRate rate;
    const char* text;
    bool noted; // "mit Mittelung" / "ohne Mittelung" follows
  } rows[] = {{SampleRate::Hz320, "320", false}, {SampleRate::Hz160, "160", false},
              {SampleRate::Hz80, "80", true},    {SampleRate::Hz40, "40", true},
              {SampleRate::Hz20, "20", true},    {SampleRate::Hz10, "10", true},
              {SampleRate::Hz5, "5", true},      {SampleRate::Hz2_5, "2,5", false}};
  for (const auto& r : rows) {
    const std::string line = std::string("Einstellung: ") + r.text + " Messwerte pro Sekunde";
    EXPECT_EQ(MeasurementFileLine2(RateText(r.rate), true),
              line + (r.noted ? " mit Mittelung" : ""));
    EXPECT_EQ(MeasurementFileLine2(RateText(r.rate), false),
              line + (r.noted ? " ohne Mittelung" : ""));
  }
}

TEST(MeasurementFileTest, HeadThenEveryValueWithFiveSignificantDigitsEndedByCrLf) {
  const float values[] = {1234.0f, -1000.0f, 12.5f, 10000.4f};
  EXPECT_EQ(BuildMeasurementFile(
                {"06.12.2026 09:15:05", SampleRate::Hz10, true, values, 2, GermanSeparators()}),
            "Datei erzeugt von Programm dynlog.exe am 06.12.2026 09:15:05\r\n"
            "Einstellung: 10 Messwerte pro Sekunde mit Mittelung\r\n"
            "\r\n"
            "1.234,00\r\n"
            "-1.000,00\r\n"
            "12,50\r\n"
            "10.000,00\r\n");
  EXPECT_EQ(
      BuildMeasurementFile({"06.12.2026", SampleRate::Hz2_5, false, {}, 0, GermanSeparators()}),
      "Datei erzeugt von Programm dynlog.exe am 06.12.2026\r\n"
      "Einstellung: 2,5 Messwerte pro Sekunde\r\n"
      "\r\n");
  // A full recording: 10000 lines after the head, none lost.
  std::vector<float> full(10000);
  for (std::size_t i = 0; i < full.size(); ++i)
    full[i] = static_cast<float>(i) - 1000;
  const std::string text =
      BuildMeasurementFile({"x", SampleRate::Hz320, false, full, 0, GermanSeparators()});
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10003);
  EXPECT_TRUE(text.ends_with("\r\n8.999\r\n"));
}

} // namespace
} // namespace dynlog
