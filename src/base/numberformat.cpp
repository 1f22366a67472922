#include "base/numberformat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace dynlog {

namespace {

constexpr int kMaxDecimals = 20;
constexpr int kMaxSignificant = 30;
constexpr std::size_t kCaptionWidth = 8;

// A non-negative decimal number 0.d1d2d3... x 10^point with no leading zeros in digits. The
// shortest text of a double has at most 17 digits.
struct Decimal {
  std::array<char, 32> digits;
  int count = 0;
  int point = 0;
};

// The shortest decimal text that reads back as the same finite, non-negative number.
template <typename Number> void ToDecimal(Number a, Decimal& d) {
  d.count = 0;
  d.point = 0;
  if (a == 0)
    return;
  // "d.ddde+XX": the digits, then the power of ten of the first one.
  std::array<char, 64> text;
  const auto res =
      std::to_chars(text.data(), text.data() + text.size(), a, std::chars_format::scientific);
  const char* p = text.data();
  for (; p != res.ptr && *p != 'e'; ++p) {
    if (*p != '.')
      d.digits[d.count++] = *p;
  }
  int exponent = 0;
  if (p != res.ptr) {
    ++p;
    if (*p == '+')
      ++p;
    std::from_chars(p, res.ptr, exponent);
  }
  d.point = exponent + 1;
  while (d.count > 0 && d.digits[d.count - 1] == '0') // trailing zeros carry no information
    --d.count;
}

// Keeps the first `keep` digits, rounding half away from zero on the digits dropped.
void RoundToDigits(Decimal& d, int keep) {
  if (keep >= d.count)
    return;
  if (keep < 0) {
    d.count = 0;
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.count = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9')
      --i;
    if (i < 0) { // 999.. became 1000..
      d.digits[0] = '1';
      d.count = 1;
      ++d.point;
    } else {
      ++d.digits[i];
      d.count = i + 1;
    }
  }
  while (d.count > 0 && d.digits[d.count - 1] == '0')
    --d.count;
}

char DigitAt(const Decimal& d, int i) {
  return i >= 0 && i < d.count ? d.digits[i] : '0';
}

template <typename Number>
void AppendRounded(std::string& out, Number value, int decimals, int significantDigits,
                   const NumberSeparators& separators) {
  if (std::isnan(value)) {
    out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  significantDigits = std::clamp(significantDigits, 1, kMaxSignificant);

  Decimal d;
  ToDecimal(std::fabs(value), d);
  RoundToDigits(d, std::min(significantDigits, d.point + decimals));

  if (std::signbit(value) && d.count > 0)
    out += '-';
  if (d.point <= 0) {
    out += '0';
  } else {
    for (int i = 0; i < d.point; ++i) {
      if (i > 0 && (d.point - i) % 3 == 0)
        out += separators.thousands;
      out += DigitAt(d, i);
    }
  }
  if (decimals > 0) {
    out += separators.decimal;
    for (int i = 0; i < decimals; ++i)
      out += DigitAt(d, d.point + i);
  }
}

} // namespace

NumberSeparators GermanSeparators() {
  return {",", "."};
}

void AppendNumber(std::string& out, double value, int decimals, int significantDigits,
                  const NumberSeparators& separators) {
  AppendRounded(out, value, decimals, significantDigits, separators);
}

void AppendNumber(std::string& out, float value, int decimals, int significantDigits,
                  const NumberSeparators& separators) {
  AppendRounded(out, value, decimals, significantDigits, separators);
}

std::string FormatNumber(double value, int decimals, int significantDigits,
                         const NumberSeparators& separators) {
  std::string out;
  AppendNumber(out, value, decimals, significantDigits, separators);
  return out;
}

std::string FormatNumber(float value, int decimals, int significantDigits,
                         const NumberSeparators& separators) {
  std::string out;
  AppendNumber(out, value, decimals, significantDigits, separators);
  return out;
}

namespace {

std::size_t CharacterCount(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

} // namespace

void FormatValueCaption(std::string& out, double value, int decimals,
                        const NumberSeparators& separators) {
  out.assign(1, ' ');
  AppendNumber(out, value, decimals, kDisplaySignificantDigits, separators);
  const std::size_t chars = CharacterCount(std::string_view(out).substr(1));
  if (chars < kCaptionWidth)
    out.insert(1, kCaptionWidth - chars, ' ');
  out += ' ';
}

ValueExtremes ValueDisplayExtremes(int decimals) {
  double scale = 1;
  for (int i = 0; i < std::clamp(decimals, 0, 3); ++i)
    scale *= 10;
  return {kLowestCount / scale, kHighestCount / scale};
}

std::string ForceFigure(double value, int decimalPlaces, const NumberSeparators& separators) {
  return FormatNumber(value, decimalPlaces, kFileSignificantDigits, separators);
}

int TimeDecimals(double valuesPerSecond) {
  if (!(valuesPerSecond > 0))
    return 0;
  for (int d = 0; d < 6; ++d) {
    const double units = std::pow(10.0, d) / valuesPerSecond;
    if (std::abs(units - std::round(units)) < 1e-9)
      return d;
  }
  return 6;
}

void AppendSeconds(std::string& out, double seconds, int decimals,
                   const NumberSeparators& separators) {
  AppendNumber(out, seconds, decimals, 30, {separators.decimal, ""});
}

} // namespace dynlog
