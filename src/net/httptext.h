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
// Raises "Leere URL", "HTTP Secure Socket is not supported", EConvertError for a port that is no
// number, or "Port außerhalb von 1 bis 65535: <port>".
struct UrlTarget {
  std::string url;
  std::string host;
  std::int32_t port = 0;
  std::string path;
};
void ParseUrl(UrlTarget& target);

// The path or URL as it may stand in a request line: a blank and every byte above 0x7E
// percent-encoded, as browsers send them, so that a target can never add words to the line.
std::string RequestTarget(const std::string& pathOrUrl);

// Whether two requests go to the same server (host in any letter case, and port): credentials and
// cookies are sent only there.
bool SameServer(const std::string& hostA, std::int32_t portA, const std::string& hostB,
                std::int32_t portB);

// The value of the Host line: the host, and ":port" when the port is not HTTP's own 80.
std::string HostLineValue(const std::string& host, std::int32_t port);

} // namespace net
