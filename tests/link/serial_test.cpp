// The serial channel and the unit's exchanges, against km470sim on a pty linked as a COM port.
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "simulatedunit.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

using testsupport::SimulatedUnit;

namespace {

class SerialChannel : public ::testing::Test {
protected:
  void TearDown() override { ucom::ComClose(); }
  static std::string Open(const std::string& port, int baud) {
    std::string error;
    ucom::ComOpen(port, baud, error);
    return error;
  }
};

// The "frame <index> <count> <status>" lines of the unit's log.
std::vector<int> LoggedCounts(const SimulatedUnit& unit) {
  std::vector<int> counts;
  for (const std::string& line : unit.LogLines()) {
    std::istringstream in(line);
    std::string word;
    long index;
    int count;
    if (in >> word && word == "frame" && in >> index >> count)
      counts.push_back(count);
  }
  return counts;
}

// Polls the stream every 50 ms, ticks times, adding the values decoded to got.
void Poll(km470::FrameDecoder& decoder, int ticks, std::vector<int>& got) {
  for (int tick = 0; tick < ticks; ++tick) {
    ucom::DelaySeconds(0.05);
    km470::PollMeasurementFrames(decoder, 0, [&](const km470::MeasurementFrame& f) {
      got.push_back(static_cast<int>(f.Value));
    });
  }
}

} // namespace

TEST_F(SerialChannel, PortThatDoesNotExist) {
  EXPECT_NE(Open("COM9", 9600), "");
  EXPECT_FALSE(ucom::ComIsOpen());
  EXPECT_TRUE(ucom::ComPortMissing());
  ucom::TransmitText = "C00C\r";
  ucom::ComWrite();
  ucom::ComRead();
  EXPECT_EQ(ucom::TransmitText, "C00C\r");
  EXPECT_TRUE(ucom::ReceiveText.empty());
  // Replies stay away, so the identification fails and the decimal places stay as they were.
  EXPECT_FALSE(km470::IdentifyInstrument());
  int decimals = 2;
  km470::QueryDecimals(decimals);
  EXPECT_EQ(decimals, 2);
}

// Many RS-485 adapters hear their own transmitter: every command comes back in front of the reply.
TEST_F(SerialChannel, AnEchoingLineStillIdentifiesReadsDecimalsAndStreams) {
  SimulatedUnit unit({.port = 2, .baud = 19200, .decimals = 2, .echo = true});
  ASSERT_EQ(Open("COM2", 19200), "");
  EXPECT_TRUE(km470::IdentifyInstrument());
  int decimals = 0;
  km470::QueryDecimals(decimals);
  EXPECT_EQ(decimals, 2);
  // Frames with the echo of the start and stop commands mixed in decode as the unit sent them.
  km470::SendStartCommand();
  km470::FrameDecoder decoder;
  std::vector<int> got;
  Poll(decoder, 6, got);
  km470::SendStopCommand(); // an echo arriving in the middle of the stream
  km470::SendStartCommand();
  Poll(decoder, 4, got);
  km470::SendStopCommand();
  Poll(decoder, 6, got);
  int echoes = 0;
  for (const auto& line : unit.LogLines())
    echoes += line.starts_with("echo ");
  EXPECT_GE(echoes, 6);
  const std::vector<int> sent = LoggedCounts(unit);
  ASSERT_GT(sent.size(), 100u);
  EXPECT_EQ(got, sent);
}

TEST_F(SerialChannel, ReadsAtMost255AndWritesAtMost998BytesAtATime) {
  SimulatedUnit unit({.port = 3, .baud = 19200, .decimals = 0});
  ASSERT_EQ(Open("COM3", 19200), "");
  km470::SendStartCommand();
  ucom::DelaySeconds(1.2); // about 1150 bytes at 320 frames per second
  km470::SendStopCommand();
  ucom::ComRead();
  EXPECT_EQ(ucom::ReceiveText.size(), 255u);
  ucom::ComRead();
  EXPECT_EQ(ucom::ReceiveText.size(), 510u);
  // Everything that is left, then decoded: eight bits clean, the values the unit sent, in order.
  ucom::DelaySeconds(0.3);
  for (int i = 0; i < 40; ++i)
    ucom::ComRead();
  km470::FrameDecoder decoder;
  std::vector<int> got;
  decoder.Feed(ucom::ReceiveText, 0,
               [&](const km470::MeasurementFrame& f) { got.push_back(static_cast<int>(f.Value)); });
  ASSERT_GT(got.size(), 300u);
  EXPECT_EQ(got, LoggedCounts(unit));

  ucom::TransmitText.assign(1200, 'z');
  ucom::ComWrite();
  EXPECT_EQ(ucom::TransmitText.size(), 202u);
  // The rest follows only once the earlier write has left (half a second on a real line).
  for (int i = 0; i < 50 && !ucom::TransmitText.empty(); ++i) {
    ucom::DelaySeconds(0.05);
    ucom::ComWrite();
  }
  EXPECT_TRUE(ucom::TransmitText.empty());
  // A second open empties both texts, unsent bytes included.
  ucom::TransmitText = "unsent";
  ucom::ReceiveText = "unread";
  ASSERT_EQ(Open("COM3", 19200), "");
  EXPECT_TRUE(ucom::TransmitText.empty());
  EXPECT_TRUE(ucom::ReceiveText.empty());
}

TEST_F(SerialChannel, ResynchronisesOnADirtyLine) {
  SimulatedUnit unit({.port = 3, .baud = 19200, .decimals = 0, .noise = true});
  ASSERT_EQ(Open("COM3", 19200), "");
  km470::SendStartCommand();
  km470::FrameDecoder decoder;
  std::vector<int> got;
  Poll(decoder, 30, got);
  km470::CloseInstrumentLink();
  EXPECT_FALSE(ucom::ComIsOpen());
  // Most intact frames come through in order despite the damage around them.
  const std::vector<int> sent = LoggedCounts(unit);
  size_t matched = 0, j = 0;
  for (int v : got) {
    while (j < sent.size() && sent[j] != v)
      ++j;
    if (j < sent.size()) {
      ++matched;
      ++j;
    }
  }
  ASSERT_GT(sent.size(), 100u);
  EXPECT_GE(matched * 10, sent.size() * 8);
  // The unit was told to stop when the link closed.
  EXPECT_EQ(unit.LogLines().back(), "stop");
}

TEST(DelaySeconds, KeepsMessagesFlowingAndWaitsAtLeastTheTime) {
  // A waiting message is handled even by a wait of 0 seconds.
  bool handled = false;
  testsupport::AfterMs(1, [&handled] { handled = true; });
  Sleep(20);
  ucom::DelaySeconds(0);
  EXPECT_TRUE(handled);
  const ULONGLONG start = GetTickCount64();
  ucom::DelaySeconds(0.2);
  EXPECT_GE(GetTickCount64() - start, 199u);
}
