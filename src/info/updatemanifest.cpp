#include "info/updatemanifest.h"

namespace dynlog {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// Exactly out.size() bytes from exactly twice as many hex digits.
template <std::size_t N> bool DecodeHex(std::string_view hex, std::array<unsigned char, N>& out) {
  if (hex.size() != 2 * N)
    return false;
  for (std::size_t i = 0; i < N; ++i) {
    const int high = HexDigit(hex[2 * i]);
    const int low = HexDigit(hex[2 * i + 1]);
    if (high < 0 || low < 0)
      return false;
    out[i] = static_cast<unsigned char>(high * 16 + low);
  }
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// "1.0.0.2" as its numbers; none when it is not up to four decimal numbers between points.
std::optional<std::array<std::uint32_t, 4>> VersionNumbers(std::string_view text) {
  std::array<std::uint32_t, 4> numbers{};
  std::size_t part = 0;
  std::size_t digits = 0;
  for (const char c : text) {
    if (c == '.') {
      if (digits == 0 || ++part == numbers.size())
        return std::nullopt;
      digits = 0;
      continue;
    }
    // Nine digits always fit; a version part that long is no version part.
    if (c < '0' || c > '9' || ++digits > 9)
      return std::nullopt;
    numbers[part] = numbers[part] * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (digits == 0)
    return std::nullopt;
  return numbers;
}

} // namespace

std::optional<UpdatePublicKey> ParsePublicKey(std::string_view hex) {
  hex = Trim(hex);
  if (hex.size() == 130) {
    if (hex.substr(0, 2) != "04")
      return std::nullopt;
    hex.remove_prefix(2);
  }
  UpdatePublicKey key{};
  if (!DecodeHex(hex, key))
    return std::nullopt;
  return key;
}

std::optional<SignedFile> ParseSignedFile(std::string_view entry) {
  entry = Trim(entry);
  SignedFile file;
  std::size_t i = 0;
  // Up to 15 digits: far beyond any update, far below an overflow.
  for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) {
    if (i == 15)
      return std::nullopt;
    file.size = file.size * 10 + (entry[i] - '0');
  }
  if (i == 0 || i == entry.size() || !IsBlank(entry[i]))
    return std::nullopt;
  if (!DecodeHex(Trim(entry.substr(i)), file.sha256))
    return std::nullopt;
  return file;
}

bool SignedVersionNewer(std::string_view offered, std::string_view running) {
  constexpr std::string_view labelStart = "Version ";
  if (running.substr(0, labelStart.size()) == labelStart)
    running.remove_prefix(labelStart.size());
  const auto offeredNumbers = VersionNumbers(Trim(offered));
  const auto runningNumbers = VersionNumbers(Trim(running));
  return offeredNumbers && runningNumbers && *offeredNumbers > *runningNumbers;
}

} // namespace dynlog
