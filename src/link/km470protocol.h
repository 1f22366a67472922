#pragma once
// What crosses the serial line to the KM470/PT615: the command texts, the two replies the program
// reads, and the 3-byte measurement frames. Pure logic, no system calls.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace km470 {

// Commands, each followed by a carriage return on the line.
inline constexpr std::string_view kStartCommand = "C00C\r";
inline constexpr std::string_view kStopCommand = "C00S\r";
inline constexpr std::string_view kDecimalsCommand = "C00D\r";
inline constexpr std::string_view kIdentifyCommand = "?V\r";

// The reply to the identification request names the unit.
bool ReplyIdentifiesInstrument(std::string_view reply);

// The decimal places the reply to "C00D" announces: the digit after the first "D" that is followed
// by 0..3. Without such a "D" (no reply, "D7", "DX", a lone "D") the current value stays.
int DecimalsFromReply(std::string_view reply, int current);

// One decoded measurement frame.
struct MeasurementFrame {
  double Value = 0; // the count scaled by the decimal places
  std::uint8_t Status = 0;
};

// The count -1000..10000 scaled by 10, 100 or 1000 for 1, 2 or 3 decimal places.
double ScaledValue(int count, int decimalPlaces);

// The six status indicators of the main window.
enum class Indicator { Limit1, Limit2, Gross, Net, Overload, Trigger };
inline constexpr int kIndicatorCount = 6;

// What one status byte does to the indicators: each is left alone, lit or darkened.
enum class IndicatorChange : std::uint8_t { Keep, Lit, Dark };
using IndicatorChanges = std::array<IndicatorChange, kIndicatorCount>;
IndicatorChanges IndicatorsFromStatus(std::uint8_t status);

// Turns received bytes into frames. Bytes with the top bit clear are text and are dropped from the
// stream; the rest is framed, resynchronising one byte at a time on anything that is not a valid
// frame. Up to two bytes wait for the next call.
class FrameDecoder {
public:
  // Hands each valid frame to consumer(const MeasurementFrame&) in arrival order, each before the
  // next is decoded.
  template <typename Consumer>
  void Feed(std::string_view received, int decimalPlaces, Consumer&& consumer) {
    for (char c : received) {
      const auto b = static_cast<std::uint8_t>(c);
      if (b & 0x80)
        PendingFrameBytes.push_back(static_cast<char>(b));
    }
    size_t pos = 0;
    while (PendingFrameBytes.size() - pos >= 3) {
      const auto b0 = static_cast<std::uint8_t>(PendingFrameBytes[pos]);
      const auto b1 = static_cast<std::uint8_t>(PendingFrameBytes[pos + 1]);
      const auto b2 = static_cast<std::uint8_t>(PendingFrameBytes[pos + 2]);
      if ((b0 & 0xC0) != 0xC0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) {
        ++pos;
        continue;
      }
      pos += 3;
      const int raw = (b0 & 0x03) * 4096 + (b1 & 0x3F) * 64 + (b2 & 0x3F);
      const int count = raw - 1000;
      if (count > 10000)
        continue;
      consumer(MeasurementFrame{ScaledValue(count, decimalPlaces), b0});
    }
    PendingFrameBytes.erase(0, pos);
  }

  // Measurement bytes not yet decoded, oldest first. Kept across Stop and Start.
  std::string PendingFrameBytes;
};

} // namespace km470
