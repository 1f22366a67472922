#include "net/httpreply.h"

#include "net/httptext.h"
#include "net/neterrors.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace net {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string WithoutLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\n')
    text.pop_back();
  if (!text.empty() && text.back() == '\r')
    text.pop_back();
  return text;
}

// The value from the given 1-based character on, without the line end, at most 256 characters.
std::string ValueFrom(const std::string& line, std::size_t firstChar) {
  const std::string rest = firstChar - 1 < line.size() ? line.substr(firstChar - 1) : std::string();
  return WithoutLineEnd(rest).substr(0, 256);
}

// The first run of digits after "ENGTH:" and the one character behind it. A length beyond what
// the 32-bit counter holds is clamped rather than wrapped into a negative or small number.
std::int32_t ContentLengthOf(const std::string& line) {
  const std::size_t mark = Upper(line).find("ENGTH:");
  if (mark == std::string::npos)
    return 0;
  std::size_t i = mark + 6 + 1;
  while (i < line.size() && !std::isdigit(static_cast<unsigned char>(line[i])))
    ++i;
  std::int64_t value = 0;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
    value = std::min(kMax, value * 10 + (line[i] - '0'));
  return static_cast<std::int32_t>(value);
}

} // namespace

std::int16_t StatusCodeOf(const std::string& statusLine) {
  const auto value = ParseInteger(NthField(statusLine, ' ', 2));
  if (!value)
    return 0;
  if (*value < std::numeric_limits<std::int16_t>::min() ||
      *value > std::numeric_limits<std::int16_t>::max())
    throw ERangeError();
  return static_cast<std::int16_t>(*value);
}

void ApplyHeaderLine(const std::string& line, ReplyHeaderFields& fields) {
  const std::string name = Upper(NthField(line, ' ', 1));
  if (name == "SET-COOKIE:")
    fields.cookie = ValueFrom(line, 13);
  else if (name == "LOCATION:")
    fields.location = ValueFrom(line, 11);
  else if (name == "CONTENT-LENGTH:")
    fields.contentLength = ContentLengthOf(line);
}

} // namespace net
