#include "net/httpreply.h"

#include "net/urireference.h"

#include <algorithm>
#include <cctype>

namespace net {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool SameLetters(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && b[i] == '\0';
}

std::string WithoutLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\n')
    text.pop_back();
  if (!text.empty() && text.back() == '\r')
    text.pop_back();
  return text;
}

// A header name is a token: letters, digits and the few marks HTTP allows, nothing else. A blank
// before the colon or a continuation line (starting with a blank) is no header line.
bool IsToken(const std::string& name) {
  if (name.empty())
    return false;
  return std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isalnum(c) ||
           (c != 0 && std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) !=
                          std::string_view::npos);
  });
}

// A length is one or more digits and nothing else; more than 18 of them no longer fit and are
// as good as garbage.
std::optional<std::int64_t> LengthOf(const std::string& value) {
  if (value.empty() || value.size() > 18 || !std::all_of(value.begin(), value.end(), IsDigit))
    return std::nullopt;
  std::int64_t n = 0;
  for (const char c : value)
    n = n * 10 + (c - '0');
  return n;
}

} // namespace

std::int16_t StatusCodeOf(const std::string& statusLine) {
  const std::string line = WithoutLineEnd(statusLine);
  if (line.compare(0, 5, "HTTP/") != 0)
    return 0;
  std::size_t i = 5;
  const std::size_t majorStart = i;
  while (i < line.size() && IsDigit(line[i]))
    ++i;
  if (i == majorStart || i >= line.size() || line[i] != '.')
    return 0;
  const std::size_t minorStart = ++i;
  while (i < line.size() && IsDigit(line[i]))
    ++i;
  if (i == minorStart || i >= line.size() || line[i] != ' ')
    return 0;
  while (i < line.size() && line[i] == ' ')
    ++i;
  if (line.size() - i < 3 || !IsDigit(line[i]) || !IsDigit(line[i + 1]) || !IsDigit(line[i + 2]))
    return 0;
  if (i + 3 < line.size() && line[i + 3] != ' ')
    return 0;
  return static_cast<std::int16_t>((line[i] - '0') * 100 + (line[i + 1] - '0') * 10 +
                                   (line[i + 2] - '0'));
}

void ApplyHeaderLine(const std::string& line, ReplyHeaderFields& fields) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos || !IsToken(line.substr(0, colon))) {
    fields.malformed = true;
    return;
  }
  const std::string name = line.substr(0, colon);
  std::string value = WithoutLineEnd(line.substr(colon + 1));
  std::size_t first = 0;
  while (first < value.size() && IsBlank(value[first]))
    ++first;
  std::size_t last = value.size();
  while (last > first && IsBlank(value[last - 1]))
    --last;
  value = value.substr(first, last - first);

  if (SameLetters(name, "Set-Cookie")) {
    fields.cookie = value.substr(0, 256);
  } else if (SameLetters(name, "Location")) {
    fields.location = value.substr(0, kMaxLocationLength);
    fields.locationCut = value.size() > kMaxLocationLength;
    fields.locationInReply = !fields.location.empty();
  } else if (SameLetters(name, "Content-Length")) {
    const auto length = LengthOf(value);
    if (!length || (fields.contentLength && *fields.contentLength != *length))
      fields.malformed = true;
    else
      fields.contentLength = length;
  } else if (SameLetters(name, "Transfer-Encoding")) {
    if (!SameLetters(value, "identity"))
      fields.malformed = true;
  }
}

} // namespace net
