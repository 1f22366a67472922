// A saved test's file as anything might have made it: read whole and in pieces of any size, it
// gives the same values and the same first unreadable line, which lies within the file; its times
// rise; and the blocks' figures are those of the values themselves.
#include "files/reader.h"
#include "fuzzcheck.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const std::size_t piece = 1 + data[0] % 64;
  const dynlog::NumberSeparators system =
      data[0] & 0x80 ? dynlog::NumberSeparators{".", ","} : dynlog::GermanSeparators();
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  const dynlog::OpenedTest whole = dynlog::ReadTestBytes(bytes, system);
  dynlog::TestFileReader reader(system);
  for (std::size_t at = 0; at < bytes.size(); at += piece)
    reader.Feed(bytes.substr(at, piece));
  const dynlog::OpenedTest pieces = reader.Finish();

  const dynlog::TestValues& v = whole.values;
  FUZZ_CHECK(v.Count() == pieces.values.Count());
  FUZZ_CHECK(whole.unread.has_value() == pieces.unread.has_value());
  const auto lines = static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  if (whole.unread) {
    FUZZ_CHECK(whole.unread->line == pieces.unread->line);
    FUZZ_CHECK(whole.unread->line >= 1 && whole.unread->line <= lines + 1);
  }
  float max = 0, min = 0;
  for (std::uint64_t i = 0; i < v.Count(); ++i) {
    FUZZ_CHECK(v.Value(i) == pieces.values.Value(i) && std::isfinite(v.Value(i)));
    FUZZ_CHECK(i == 0 || v.SecondsOf(i) > v.SecondsOf(i - 1));
    max = i == 0 ? v.Value(i) : std::max(max, v.Value(i));
    min = i == 0 ? v.Value(i) : std::min(min, v.Value(i));
  }
  const dynlog::StretchFigures f = v.Stretch(0, v.Count());
  FUZZ_CHECK(f.count == v.Count() && f.max == max && f.min == min);
  FUZZ_CHECK(v.Columns(0, v.Count(), 100).size() <= std::min<std::uint64_t>(100, v.Count()));
  return 0;
}
