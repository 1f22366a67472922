#include "window/numberformat.h"

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

// Room for the exact fixed-point expansion of any double: at most 309 integer digits, or a leading
// "0." and at most 1126 fraction digits for the smallest subnormal.
constexpr std::size_t kDigitRoom = 1200;

// A non-negative decimal number 0.d1d2d3... x 10^point with no leading zeros in digits.
struct Decimal {
  std::array<char, kDigitRoom> digits;
  int count = 0;
  int point = 0;
};

// Exact decimal expansion of a finite, non-negative double.
void ToDecimal(double a, Decimal& d) {
  d.count = 0;
  d.point = 0;
  if (a == 0.0)
    return;
  int exponent = 0;
  std::frexp(a, &exponent);
  // a = m * 2^(exponent - 53) with integer m, and 2^-k has exactly k decimals.
  const int precision = std::max(0, 53 - exponent);
  std::array<char, kDigitRoom + 8> text;
  const auto res =
      std::to_chars(text.data(), text.data() + text.size(), a, std::chars_format::fixed, precision);
  bool seenPoint = false;
  for (const char* p = text.data(); p != res.ptr; ++p) {
    if (*p == '.') {
      seenPoint = true;
      continue;
    }
    if (d.count == 0 && *p == '0') { // leading zero
      if (seenPoint)
        --d.point;
      continue;
    }
    d.digits[d.count++] = *p;
    if (!seenPoint)
      ++d.point;
  }
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

} // namespace

NumberSeparators GermanSeparators() {
  return {",", "."};
}

void AppendNumber(std::string& out, double value, int decimals, int significantDigits,
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
  RoundToDigits(d, significantDigits);
  RoundToDigits(d, d.point + decimals);

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

std::string FormatNumber(double value, int decimals, int significantDigits,
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

std::string ValueCaption(std::string_view numberText) {
  const std::size_t chars = CharacterCount(numberText);
  const std::size_t pad = chars < kCaptionWidth ? kCaptionWidth - chars : 0;
  std::string out;
  out.reserve(numberText.size() + pad + 2);
  out.append(1 + pad, ' ');
  out += numberText;
  out += ' ';
  return out;
}

void FormatValueCaption(std::string& out, double value, int decimals,
                        const NumberSeparators& separators) {
  out.assign(1, ' ');
  AppendNumber(out, value, decimals, kDisplaySignificantDigits, separators);
  const std::size_t chars = CharacterCount(std::string_view(out).substr(1));
  if (chars < kCaptionWidth)
    out.insert(1, kCaptionWidth - chars, ' ');
  out += ' ';
}

} // namespace dynlog
