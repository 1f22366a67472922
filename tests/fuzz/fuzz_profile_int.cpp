// The numbers of km470.ini: whatever the file holds, the result is the number it spells or the
// default, never something in between; a number read back from its decimal text is itself, and
// the same number 2^32 further on, in either form, is no number (never wrapped back to it).
#include "fuzzcheck.h"
#include "link/profileint.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  constexpr int kDefA = 12345;
  constexpr int kDefB = -54321;
  const int a = ProfileIntFromText(text, kDefA);
  const int b = ProfileIntFromText(text, kDefB);
  // Either both fell back to their defaults, or the text named one number.
  FUZZ_CHECK((a == kDefA && b == kDefB) || a == b);
  const int value = a == b ? a : 0;
  FUZZ_CHECK(ProfileIntFromText(std::to_string(value), kDefA) == value);
  const long long past = value + 0x100000000LL;
  FUZZ_CHECK(ProfileIntFromText(std::to_string(past), kDefA) == kDefA);
  char hex[20] = "$";
  const auto end = std::to_chars(hex + 1, hex + sizeof(hex), past, 16).ptr;
  FUZZ_CHECK(ProfileIntFromText(std::string_view(hex, end - hex), kDefA) == kDefA);

  // A plain decimal text of at most nine digits is read as the number it is.
  if (!text.empty() && text.size() <= 9 &&
      text.find_first_not_of("0123456789") == std::string_view::npos) {
    int expected = 0;
    for (const char c : text)
      expected = expected * 10 + (c - '0');
    FUZZ_CHECK(a == expected);
  }
  return 0;
}
