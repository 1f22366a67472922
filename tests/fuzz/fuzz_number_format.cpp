// The number text of the value display and the measurement file, read back: whatever the float or
// double, it is well formed (an optional minus, groups of three, exactly the decimals asked for),
// has no minus when it reads as zero, and lies within half a unit of its last kept digit of the
// number (plus the number's own binary noise).
#include "base/numberformat.h"
#include "fuzzcheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <regex>
#include <string>

namespace {

bool WellFormed(const std::string& text, int decimals) {
  static const std::regex whole("-?[0-9]{1,3}(\\.[0-9]{3})*");
  const std::size_t comma = decimals == 0 ? text.size() : text.find(',');
  return comma != std::string::npos && std::regex_match(text.substr(0, comma), whole) &&
         (decimals == 0 || (text.size() - comma - 1 == static_cast<std::size_t>(decimals) &&
                            text.find_first_not_of("0123456789", comma + 1) == std::string::npos));
}

long double ReadBack(const std::string& text) {
  std::string plain;
  for (const char c : text)
    if (c != '.')
      plain += c == ',' ? '.' : c;
  return std::strtold(plain.c_str(), nullptr);
}

template <typename Number> void Check(Number value, int decimals, int significant) {
  const std::string text = dynlog::FormatNumber(value, decimals, significant, {",", "."});
  if (!std::isfinite(value)) {
    FUZZ_CHECK(text == (std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF"));
    return;
  }
  FUZZ_CHECK(WellFormed(text, decimals));
  const long double back = ReadBack(text);
  FUZZ_CHECK(text[0] != '-' || back != 0);
  const long double v = value;
  long double unit = std::pow(10.0L, -decimals);
  if (v != 0) {
    const int first = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    unit = std::max(unit, std::pow(10.0L, first - significant + 1));
  }
  const long double noise = std::fabs(v) * 4 * std::numeric_limits<Number>::epsilon();
  FUZZ_CHECK(std::fabs(back - v) <= unit / 2 + noise + std::fabs(v) * 1e-18L);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3)
    return 0;
  const int decimals = data[0] % 21;
  const int significant = 1 + data[1] % 30;
  const bool single = data[2] & 1;
  data += 3;
  size -= 3;
  if (single) {
    float f = 0;
    std::memcpy(&f, data, std::min(size, sizeof f));
    Check(f, decimals, significant);
  } else {
    double d = 0;
    std::memcpy(&d, data, std::min(size, sizeof d));
    Check(d, decimals, significant);
  }
  return 0;
}
