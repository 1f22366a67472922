#include "link/km470protocol.h"
#include "link/profileint.h"
#include "link/searchtiming.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <climits>
#include <string>
#include <utility>
#include <vector>

using namespace km470;

namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list)
    s.push_back(static_cast<char>(b));
  return s;
}

std::vector<MeasurementFrame> Decode(FrameDecoder& d, const std::string& bytes, int decimals = 0) {
  std::vector<MeasurementFrame> out;
  d.Feed(bytes, decimals, [&](const MeasurementFrame& f) { out.push_back(f); });
  return out;
}

// The frame for a count, as the unit sends it.
std::string Frame(int count, int statusBits = 0) {
  const int raw = count + 1000;
  return Bytes({0xC0 | statusBits | (raw >> 12), 0x80 | ((raw >> 6) & 0x3F), 0x80 | (raw & 0x3F)});
}

} // namespace

TEST(FrameDecoder, TakesTheValuesOutOfTheStream) {
  const struct {
    std::string bytes;
    int decimals;
    std::vector<double> values;
  } cases[] = {
      // Raw 16383 is dropped; 10000 (9000 counts) is not.
      {Bytes({0xC0, 0x80, 0x80, 0xC3, 0xBF, 0xBF, 0xC2, 0x9C, 0x90}), 0, {-1000, 9000}},
      // Raw 11000 is the largest valid count; 11001 is dropped whole.
      {Frame(10000) + Frame(10001) + Frame(-1000), 0, {10000, -1000}},
      {Frame(234), 2, {2.34}},
      {Frame(-1000), 3, {-1.0}},
      {Frame(2345), 1, {234.5}},
      {Frame(77), 5, {77}}, // any other number of places leaves the count as it is
      {Bytes({0x80, 0x80}) + Frame(3097), 0, {3097}}, // starting inside a frame
      {Bytes({0xC1, 0x41, 0x80, 0x81}), 0, {3097}},   // a text byte taken out before framing
      {Frame(500).substr(0, 2) + Frame(600) + Frame(700), 0, {600, 700}}, // a byte lost
  };
  for (const auto& c : cases) {
    FrameDecoder whole, pieces;
    std::vector<double> got, piecewise;
    for (const MeasurementFrame& f : Decode(whole, c.bytes, c.decimals))
      got.push_back(f.Value);
    for (const char byte : c.bytes) // as a slow line delivers them
      for (const MeasurementFrame& f : Decode(pieces, std::string(1, byte), c.decimals))
        piecewise.push_back(f.Value);
    EXPECT_EQ(got, c.values) << testing::PrintToString(c.bytes);
    EXPECT_EQ(piecewise, c.values) << testing::PrintToString(c.bytes);
    EXPECT_TRUE(whole.PendingFrameBytes.empty());
  }
}

TEST(FrameDecoder, KeepsUpToTwoBytesForTheNextPoll) {
  FrameDecoder d;
  const std::string a = Frame(1), b = Frame(2, 0x24);
  ASSERT_EQ(Decode(d, a + b.substr(0, 2)).size(), 1u);
  EXPECT_EQ(d.PendingFrameBytes, b.substr(0, 2));
  const auto f = Decode(d, b.substr(2) + "\r\n");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].Value, 2);
  EXPECT_EQ(f[0].Status, 0xE4);
}

// Per indicator (Limit1, Limit2, Gross, Net, Overload, Trigger): K kept, L lit, D dark.
TEST(Indicators, FollowTheColumnThatBitFiveSelects) {
  const struct {
    int status;
    const char* changes;
  } cases[] = {
      {0xC0 | 0x18, "LLKKKD"},        // column of the limits: gross, net and overload untouched
      {0xC0 | 0x20 | 0x04, "KKLDDL"}, // column of gross/net/overload: bit 3 clear means gross
      {0xC0 | 0x20 | 0x18, "KKDLLD"},
  };
  for (const auto& c : cases) {
    std::string got;
    for (const IndicatorChange change : IndicatorsFromStatus(static_cast<std::uint8_t>(c.status)))
      got += "KLD"[static_cast<int>(change)];
    EXPECT_EQ(got, c.changes) << std::hex << c.status;
  }
}

TEST(Replies, DecimalPlacesAndIdentification) {
  const struct {
    const char* reply;
    int current, expected;
  } cases[] = {
      {"D2\r", 0, 2},
      {"D3", 0, 3},
      {"xD0", 3, 0},
      {"D7", 1, 1},
      {"D", 1, 1},
      {"DX", 2, 2},
      {"", 2, 2},
      {"d2", 2, 2},
      // An echoing line: our own command comes back in front of the answer.
      {"C00D\rD1\r", 0, 1},
      {"C00D\rD3\r", 2, 3},
      {"C00D\r", 2, 2},
      {"C00D\rD9\rD2", 0, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecimalsFromReply(c.reply, c.current), c.expected) << c.reply;
  EXPECT_TRUE(ReplyIdentifiesInstrument("\r\nKM470 V2.03\r"));
  EXPECT_TRUE(ReplyIdentifiesInstrument("?V\rKM470 V2.03\r"));
  EXPECT_FALSE(ReplyIdentifiesInstrument("km470"));
  EXPECT_FALSE(ReplyIdentifiesInstrument("PT615 V1.0"));
}

TEST(SettingsValues, DecimalAndHexadecimalFormsElseTheDefault) {
  const std::pair<const char*, int> taken[] = {
      {"3", 3},           {"  9600", 9600},        {"-1", -1},
      {"+4", 4},          {"$4B00", 19200},        {"x3", 3},
      {"X3", 3},          {"0x2580", 9600},        {"0XfF", 255},
      {"-$7FFF", -32767}, {"-2147483648", INT_MIN}};
  for (const auto& [text, value] : taken)
    EXPECT_EQ(ProfileIntFromText(text, 2), value) << text;
  EXPECT_EQ(ProfileIntFromText("$7FFFFFFF", 2), INT_MAX);
  // Past the range of an int, in either form: never wrapped round into it (to 3, 9600, -1).
  for (const char* refused : {"", "COM3", "3a", "0x", "-", "99999999999", "2147483648",
                              "4294967299", "4294976896", "$FFFFFFFF", "$80000000", "-2147483649"})
    EXPECT_EQ(ProfileIntFromText(refused, 2), 2) << refused;
  // The search's times from the environment, or the program's own.
  EXPECT_EQ(km470::MillisecondsFromText(nullptr, km470::kSearchStepMs), 2000u);
  EXPECT_EQ(km470::MillisecondsFromText("300", 2000), 300u);
  for (const char* ignored : {"", "99", "3600001", "-300", "300ms", "4294967596"})
    EXPECT_EQ(km470::MillisecondsFromText(ignored, 20000), 20000u) << ignored;
  // Without the environment's limit: 20 s, or a round of every port at both rates where longer.
  if (!std::getenv("DYNLOG_SEARCH_LIMIT_MS") && !std::getenv("DYNLOG_SEARCH_STEP_MS")) {
    EXPECT_EQ(km470::SearchLimitMs(4), 20000u);
    EXPECT_EQ(km470::SearchLimitMs(12), 50000u);
  }
}
