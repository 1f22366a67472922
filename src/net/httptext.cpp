#include "net/httptext.h"

#include "net/neterrors.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <stdexcept>

namespace net {

std::string NthField(const std::string& text, char separator, int n) {
  if (text.empty() || n < 1)
    return {};
  std::size_t start = 0;
  for (int field = 1; field < n; ++field) {
    const std::size_t sep = text.find(separator, start);
    if (sep == std::string::npos)
      return {};
    start = sep + 1;
  }
  const std::size_t end = text.find(separator, start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::size_t NthCharPos(const std::string& text, char ch, int n) {
  int seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == ch && ++seen == n)
      return i + 1;
  return text.size() + 1;
}

std::optional<std::int32_t> ParseInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size())
    return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1)
      return std::nullopt;
  }
  if (negative)
    value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(const std::string& text) {
  if (const auto value = ParseInteger(text))
    return *value;
  throw EConvertError(text);
}

void ParseUrl(UrlTarget& t) {
  const std::string& url = t.url;
  if (url.empty())
    throw std::runtime_error("Leere URL");
  if (t.port == 0)
    t.port = 80;

  const bool hasScheme = url.find("//") != std::string::npos;
  std::string path;
  if (hasScheme)
    path = url.substr(std::min(NthCharPos(url, '/', 3) - 1, url.size()));
  else if (const std::size_t slash = url.find('/'); slash != std::string::npos)
    path = url.substr(slash);
  if (path.size() > 256)
    path.resize(256);

  // Any ':' counts, also one in the path or before a port number: such a URL starts from the
  // scheme's port, and a port in the host part then overrides it.
  if (url.find(':') != std::string::npos) {
    std::string scheme = NthField(url, ':', 1);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (scheme == "gopher")
      t.port = 70;
    else if (scheme == "ftp")
      t.port = 21;
    else if (scheme == "https")
      throw std::runtime_error("HTTP Secure Socket is not supported");
    else
      t.port = 80;
  }

  std::string hostPart;
  if (hasScheme)
    hostPart = NthField(url, '/', 3);
  else if (url.front() != '/')
    hostPart = NthField(url, '/', 1);

  if (const std::size_t colon = hostPart.find(':'); colon != std::string::npos) {
    const std::string port = NthField(hostPart, ':', 2);
    t.port = StrToInt(port);
    // A socket's port has 16 bits: a larger number would reach another server's port.
    if (t.port < 1 || t.port > 65535)
      throw std::runtime_error("Port außerhalb von 1 bis 65535: " + port);
    hostPart.resize(colon);
  }
  if (!hostPart.empty())
    t.host = hostPart;

  if (path.empty()) {
    t.path.assign(1, '/');
    t.url.push_back('/');
  } else {
    t.path = path;
  }
}

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

} // namespace

std::string RequestTarget(const std::string& pathOrUrl) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string target;
  for (const char c : pathOrUrl) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      target += c;
    } else {
      target += '%';
      target += kHex[byte >> 4];
      target += kHex[byte & 0x0F];
    }
  }
  return target;
}

bool SameServer(const std::string& hostA, std::int32_t portA, const std::string& hostB,
                std::int32_t portB) {
  return (portA & 0xFFFF) == (portB & 0xFFFF) && Lower(hostA) == Lower(hostB);
}

std::string HostLineValue(const std::string& host, std::int32_t port) {
  const std::int32_t used = port & 0xFFFF;
  if (host.empty() || used == 80 || used == 0)
    return host;
  return host + ":" + std::to_string(used);
}

} // namespace net
