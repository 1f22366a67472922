// The number text of the value display and the measurement file, read back: whatever the float or
// double, it is well formed (an optional minus, groups of three, exactly the decimals asked for),
// has no minus when it reads as zero, and lies within half a unit of its last kept digit of the
// number (plus the number's own binary noise).
#include "fuzzcheck.h"
#include "window/numberformat.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

bool WellFormed(const std::string& text, int decimals) {
  std::size_t i = text[0] == '-' ? 1 : 0;
  const std::size_t comma = text.find(',');
  const std::size_t whole = comma == std::string::npos ? text.size() : comma;
  if (whole <= i)
    return false;
  // Digits in groups of three from the right, separated by points.
  for (std::size_t k = 0; i + k < whole; ++k) {
    const char c = text[whole - 1 - k];
    const bool point = k % 4 == 3;
    if (point ? c != '.' : (c < '0' || c > '9'))
      return false;
    if (point && i + k + 1 == whole) // a point at the front
      return false;
  }
  if (decimals == 0)
    return comma == std::string::npos;
  if (comma == std::string::npos || text.size() - comma - 1 != static_cast<std::size_t>(decimals))
    return false;
  for (std::size_t k = comma + 1; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9')
      return false;
  return true;
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
