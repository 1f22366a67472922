// Past the recording's 10000 values: every value the recording keeps goes on to a stream file that
// listens to it, as --stream does, while the recording stops at 10000. The frames are fed in
// memory, as the window's frame handler passes them on, in place of 31 seconds from the unit.
#include "base/numberformat.h"
#include "base/text.h"
#include "files/measurementstream.h"
#include "support/testfiles.h"
#include "test/recording.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace dynlog {
namespace {

// The file's text for tenths of a unit below a million, worked out on its own: comma before the
// one decimal, point between the thousands.
std::string Tenths(int tenths) {
  const char* sign = tenths < 0 ? "-" : "";
  const int magnitude = tenths < 0 ? -tenths : tenths, whole = magnitude / 10;
  char text[32];
  if (whole >= 1000)
    std::snprintf(text, sizeof text, "%s%d.%03d,%d", sign, whole / 1000, whole % 1000,
                  magnitude % 10);
  else
    std::snprintf(text, sizeof text, "%s%d,%d", sign, whole, magnitude % 10);
  return text;
}

TEST(RecordingLimitTest, AStreamKeepsEveryValueBeyondTheRecordings10000) {
  testsupport::TempFolder dir;
  const std::wstring path = dir.File(L"lang.txt");
  auto recording = std::make_unique<Recording>();
  recording->Start({SampleRate::Hz320, false, 19200, 1, "COM3", ""}, {});
  MeasurementStream stream(base::Narrow(path), false);
  stream.Begin("07.12.2026 10:00:00", SampleRate::Hz320, false, 1, GermanSeparators());
  const auto subscription =
      recording->Subscribe([&stream](float value, double t, Lamps) { stream.Append(value, t); });
  constexpr int kFrames = 10600;
  std::string expected;
  for (int i = 0; i < kFrames; ++i) {
    const int tenths = (i * 7919) % 199999 - 99999; // both signs, all five digits
    if (recording->TakeFrame(tenths / 10.0, {SampleRate::Hz320, false, 19200}))
      expected += Tenths(tenths) + "\r\n";
    if (i % 1000 == 0)
      stream.Flush();
  }
  stream.Close();

  EXPECT_EQ(recording->SampleCount(), Acquisition::kMaxSamples);
  EXPECT_EQ(stream.Values(), static_cast<std::uint64_t>(kFrames - Acquisition::kInitialSkip));
  std::ifstream in(base::Narrow(path), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  const std::string head = "\r\nEinstellung: 320 Messwerte pro Sekunde\r\n\r\n";
  const std::size_t values = bytes.str().find(head);
  ASSERT_NE(values, std::string::npos) << bytes.str().substr(0, 200);
  EXPECT_TRUE(bytes.str().substr(values + head.size()) == expected) << "every value, whole lines";
}

} // namespace
} // namespace dynlog
