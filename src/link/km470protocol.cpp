#include "link/km470protocol.h"

namespace km470 {

bool ReplyIdentifiesInstrument(std::string_view reply) {
  return reply.find("KM470") != std::string_view::npos;
}

int DecimalsFromReply(std::string_view reply, int current) {
  // A line that echoes what we send puts our own "C00D" CR in front of the answer, so a "D"
  // followed by anything but 0..3 is not the answer.
  for (size_t d = reply.find('D'); d != std::string_view::npos; d = reply.find('D', d + 1)) {
    if (d + 1 < reply.size() && reply[d + 1] >= '0' && reply[d + 1] <= '3')
      return reply[d + 1] - '0';
  }
  return current;
}

double ScaledValue(int count, int decimalPlaces) {
  const double value = count;
  switch (decimalPlaces) {
  case 1:
    return value / 10;
  case 2:
    return value / 100;
  case 3:
    return value / 1000;
  default:
    return value;
  }
}

IndicatorChanges IndicatorsFromStatus(std::uint8_t status) {
  auto lit = [](bool on) { return on ? IndicatorChange::Lit : IndicatorChange::Dark; };
  IndicatorChanges c{};
  c.fill(IndicatorChange::Keep);
  const bool bit3 = status & 0x08;
  const bool bit4 = status & 0x10;
  c[static_cast<int>(Indicator::Trigger)] = lit(status & 0x04);
  if (status & 0x20) {
    c[static_cast<int>(Indicator::Gross)] = lit(!bit3);
    c[static_cast<int>(Indicator::Net)] = lit(bit3);
    c[static_cast<int>(Indicator::Overload)] = lit(bit4);
  } else {
    c[static_cast<int>(Indicator::Limit1)] = lit(bit3);
    c[static_cast<int>(Indicator::Limit2)] = lit(bit4);
  }
  return c;
}

} // namespace km470
