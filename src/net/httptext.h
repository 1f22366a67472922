#pragma once
// Text helpers of the HTTP client: fields of a text, URL splitting, integer conversion.
#include <cstdint>
#include <optional>
#include <string>

namespace net {

// The n-th field (from 1) of text split at every separator; empty when there are fewer fields.
std::string NthField(const std::string& text, char separator, int n);

// Position (from 1) of the n-th occurrence of ch, or text length + 1 when there are fewer.
std::size_t NthCharPos(const std::string& text, char ch, int n);

// Optional leading blanks, an optional sign and decimal digits, nothing else, within 32 bits.
std::optional<std::int32_t> ParseInteger(const std::string& text);

// Like ParseInteger, but raises EConvertError "'<text>' ist kein gültiger Integerwert".
std::int32_t StrToInt(const std::string& text);

// Splits url into host, port and path. host and port keep their values where the URL does not
// name them (a path-only URL reuses the last host); a URL without a path gets "/" appended.
// Raises "Leere URL", "HTTP Secure Socket is not supported" or EConvertError for a bad port.
struct UrlTarget {
  std::string url;
  std::string host;
  std::int32_t port = 0;
  std::string path;
};
void ParseUrl(UrlTarget& target);

} // namespace net
