// A recording that starts and ends by itself, and one zeroed before it arms.
#include "window/recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace dynlog {
namespace {

constexpr SampleRate kRates[] = {SampleRate::Hz320, SampleRate::Hz160, SampleRate::Hz80,
                                 SampleRate::Hz40,  SampleRate::Hz20,  SampleRate::Hz10,
                                 SampleRate::Hz5,   SampleRate::Hz2_5};

TEST(ArmedRecording, ThePreTriggerHoldsWhatTheThinningKeptAndTimesCountFromTheCrossing) {
  // Frames rising by one a frame; the same frames recorded from Start by hand tell what the
  // thinning kept, averaged or not, and when.
  for (const SampleRate rate : kRates) {
    for (const bool averaging : {false, true}) {
      const RecordingSetting setting{rate, averaging, 19200, 0, "COM3", "KM470"};
      Recording plain, armed;
      armed.SetConditions({{StartCondition::Kind::ForceAbove, 2000.5, 0.5}, {}, false});
      plain.Start(setting, {});
      armed.Start(setting, {});
      for (int i = 0; i < 4000; ++i) {
        plain.TakeFrame(i, {rate, averaging, 19200});
        armed.TakeFrame(i, {rate, averaging, 19200});
      }
      const auto all = plain.Values();
      const auto crossing =
          std::find_if(all.begin(), all.end(), [](float v) { return v > 2000.5; });
      const auto before =
          static_cast<std::ptrdiff_t>(PreTriggerCapacity(0.5, setting.ValuesPerSecond()));
      const std::vector<float> want(crossing - before, all.end());
      const auto got = armed.Values();
      ASSERT_EQ(std::vector<float>(got.begin(), got.end()), want) << RateText(rate) << averaging;
      const double zero = plain.SecondsOf(crossing - all.begin());
      for (std::size_t i = 0; i < want.size(); i += 7)
        EXPECT_NEAR(armed.SecondsOf(i), plain.SecondsOf(crossing - all.begin() - before + i) - zero,
                    1e-9);
      EXPECT_EQ(armed.SecondsOf(static_cast<std::uint64_t>(before)), 0.0) << "the crossing";
      EXPECT_NEAR(armed.Results().Duration(setting.ValuesPerSecond()),
                  static_cast<double>(want.size()) / setting.ValuesPerSecond(), 1e-9);
    }
  }
}

TEST(ArmedRecording, WaitsRecordsTheRingEndsAtTheBreakAndArmsAgain) {
  Recording r;
  r.SetConditions({{StartCondition::Kind::ForceAbove, 50, 0.1}, {40.0, 200}, true});
  r.Start({SampleRate::Hz10, false, 19200, 0, "COM3", "KM470"}, {2026, 12, 8, 9, 0, 0, 60});
  std::vector<float> heard;
  const auto subscription = r.Subscribe([&](float v, double, Lamps) { heard.push_back(v); });
  const FrameSettings tick{SampleRate::Hz10, false, 19200};
  const auto value = [&](double v) { // one kept value a tenth of a second
    const auto shown = r.TakeFrame(v, tick);
    for (int i = 0; i < 31; ++i)
      r.TakeFrame(v, tick);
    return shown;
  };
  for (int i = 0; i < 32; ++i)
    r.TakeFrame(0, tick);
  for (const double v : {3, 4, 5, 60, 300, 500, 201, 199, 7})
    EXPECT_EQ(value(v), v) << "shown whether recorded or not";
  EXPECT_EQ(std::vector<float>(r.Values().begin(), r.Values().end()),
            (std::vector<float>{5, 60, 300, 500, 201, 199}));
  EXPECT_EQ(heard, (std::vector<float>{5, 60, 300, 500, 201, 199})) << "the test's values only";
  EXPECT_EQ(r.State(), MeasuringState::Stopped);
  EXPECT_EQ(r.EndText(), "Ende: Bruch bei 40 % des Maximums");
  EXPECT_EQ(r.HeldPeak(), 500);
  const std::string head = CsvHeadText(r.CsvFileHead(r.Results()), GermanSeparators());
  for (const char* line : {"# Start;2026-12-08T09:00:00+01:00", "# Startbedingung;Kraft über 50",
                           "# Vorlauf in s;0,1", "# Ende durch;Bruch bei 40 % des Maximums"})
    EXPECT_NE(head.find(std::string(line) + "\r\n"), std::string::npos) << line;
  EXPECT_TRUE(r.Rearm({}));
  EXPECT_TRUE(StatusLineText(r.StatusFigures(), GermanSeparators()).starts_with("Wartet auf"));
  value(30);
  value(70);
  EXPECT_EQ(std::vector<float>(r.Values().begin(), r.Values().end()), (std::vector<float>{30, 70}));
  EXPECT_DOUBLE_EQ(r.SecondsOf(0), -0.1);
}

TEST(ArmedRecording, ZeroedBeforeArmingEveryValueIsTheUnitsFigureLessTheZeroRoundedOnce) {
  const struct {
    int decimals;
    double rest, figure;
    bool averaging;
    const char* line; // the recorded value's line, and the zero in the head
    const char* zero;
  } cases[] = {
      {1, 12.3, 940.6, false, "0,000000;928,3;", "# Nullpunkt;12,3"},
      {0, 7, 3, false, "0,000000;-4;", "# Nullpunkt;7"},
      {1, -2.0, 0.2, true, "0,000;2,2;", "# Nullpunkt;-2,0"}, // averaged after zeroing
  };
  for (const auto& c : cases) {
    Recording r;
    r.ZeroBeforeArming(true);
    const FrameSettings tick{c.averaging ? SampleRate::Hz40 : SampleRate::Hz320, c.averaging,
                             19200};
    r.Start({tick.rate, c.averaging, 19200, c.decimals, "COM3", "KM470"}, {});
    for (int i = 0; i < 160; ++i)
      r.TakeFrame(c.rest, tick);
    EXPECT_EQ(r.SampleCount(), 0) << "the half second is the zero's";
    EXPECT_TRUE(r.Zero()) << "refused while the test runs";
    for (int i = 0; i < 8; ++i)
      r.TakeFrame(c.figure, tick);
    ASSERT_GT(r.SampleCount(), 0);
    const std::string file = BuildCsvFile(r.CsvFileHead(), r.SavedValues(), GermanSeparators());
    EXPECT_NE(file.find(std::string("\r\n") + c.line), std::string::npos) << file;
    EXPECT_NE(file.find(std::string(c.zero) + "\r\n"), std::string::npos) << c.zero;
  }
}

} // namespace
} // namespace dynlog
