#include "net/urireference.h"

#include "net/httptext.h"
#include "net/neterrors.h"

#include <algorithm>
#include <cctype>

namespace net {
namespace {

// The Location as a log line can show it: no byte that could break the line or the display, and
// not the whole of a long one.
std::string Shown(const std::string& location) {
  constexpr std::size_t kShown = 80;
  const std::string shown = RequestTarget(location.substr(0, kShown));
  return location.size() > kShown ? shown + "..." : shown;
}

[[noreturn]] void Refuse(const std::string& location, const std::string& reason) {
  throw ESockError("Weiterleitung nach \"" + Shown(location) + "\" abgelehnt: " + reason);
}

bool IsSchemeText(const std::string& text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
    return false;
  return std::all_of(text.begin(), text.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '+' || c == '-' || c == '.';
  });
}

// What the socket layer can look up or dial: labels of letters, digits, "-" and "_" between
// dots, or a dotted IPv4 address, which is such a name too.
bool IsHostName(const std::string& host) {
  return !host.empty() && host.size() <= 255 && host[0] != '.' &&
         host.find("..") == std::string::npos &&
         std::all_of(host.begin(), host.end(), [](unsigned char c) {
           return std::isalnum(c) || c == '-' || c == '_' || c == '.';
         });
}

// The parts of a reference: each is absent when the reference does not have it, which is not
// the same as present and empty ("?" names an empty query).
struct Reference {
  std::optional<std::string> scheme, authority, query;
  std::string path;
};

Reference Split(const std::string& text, const std::string& location) {
  Reference r;
  std::string rest = text;
  const std::size_t colon = rest.find(':');
  if (colon != std::string::npos && colon < rest.find_first_of("/?")) {
    // A colon before any slash or "?" ends a scheme; a relative path cannot start so, so
    // "127.0.0.1:8080/x" is no address at all rather than a host and port.
    if (!IsSchemeText(rest.substr(0, colon)))
      Refuse(location, "keine gültige Adresse");
    r.scheme = rest.substr(0, colon);
    rest.erase(0, colon + 1);
  }
  if (rest.starts_with("//")) {
    const std::size_t end = rest.find_first_of("/?", 2);
    r.authority = rest.substr(2, end == std::string::npos ? std::string::npos : end - 2);
    rest.erase(0, end == std::string::npos ? rest.size() : end);
  }
  if (const std::size_t mark = rest.find('?'); mark != std::string::npos) {
    r.query = rest.substr(mark + 1);
    rest.resize(mark);
  }
  r.path = rest;
  return r;
}

// Host and port of an authority; the port is the scheme's own when none is named.
void ApplyAuthority(const std::string& authority, HttpTarget& target, const std::string& location) {
  if (authority.find('@') != std::string::npos)
    Refuse(location, "Anmeldedaten in der Adresse");
  if (authority.starts_with("["))
    Refuse(location, "IPv6-Adressen werden nicht unterstützt");
  const std::size_t colon = authority.find(':');
  target.host = authority.substr(0, colon);
  if (target.host.empty())
    Refuse(location, "Adresse ohne Host");
  if (!IsHostName(target.host))
    Refuse(location, "ungültiger Hostname");
  target.port = 80;
  if (colon == std::string::npos || colon + 1 == authority.size())
    return; // "host:" names the scheme's port too
  std::int64_t port = 0;
  for (std::size_t i = colon + 1; i < authority.size(); ++i) {
    const char c = authority[i];
    if (c < '0' || c > '9')
      Refuse(location, "ungültiger Port");
    port = std::min<std::int64_t>(port * 10 + (c - '0'), 1000000);
  }
  if (port < 1 || port > 65535)
    Refuse(location, "Port außerhalb von 1 bis 65535");
  target.port = static_cast<std::int32_t>(port);
}

// "." and ".." segments merged away; a ".." above the root stays at the root.
std::string RemoveDotSegments(std::string input) {
  std::string output;
  const auto dropLastSegment = [&output] {
    const std::size_t slash = output.rfind('/');
    output.resize(slash == std::string::npos ? 0 : slash);
  };
  while (!input.empty()) {
    if (input.starts_with("../"))
      input.erase(0, 3);
    else if (input.starts_with("./"))
      input.erase(0, 2);
    else if (input.starts_with("/./"))
      input.erase(0, 2);
    else if (input == "/.")
      input = "/";
    else if (input.starts_with("/../")) {
      input.erase(0, 3);
      dropLastSegment();
    } else if (input == "/..") {
      input = "/";
      dropLastSegment();
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      const std::size_t end = input.find('/', 1);
      output += input.substr(0, end);
      input.erase(0, end == std::string::npos ? input.size() : end);
    }
  }
  return output;
}

} // namespace

std::string HttpTarget::Url() const {
  return "http://" + HostLineValue(host, port) + PathAndQuery();
}

std::string HttpTarget::PathAndQuery() const {
  return query ? path + "?" + *query : path;
}

HttpTarget TargetOf(const std::string& host, std::int32_t port, const std::string& pathAndQuery) {
  // The socket dials the low 16 bits of a port; so does the comparison of servers.
  HttpTarget target{host, port & 0xFFFF, pathAndQuery, std::nullopt};
  if (const std::size_t mark = pathAndQuery.find('?'); mark != std::string::npos) {
    target.query = pathAndQuery.substr(mark + 1);
    target.path.resize(mark);
  }
  if (target.path.empty())
    target.path.assign(1, '/');
  return target;
}

HttpTarget ResolveLocation(const HttpTarget& base, const std::string& location, bool cut) {
  if (cut || location.size() > kMaxLocationLength)
    Refuse(location, "Adresse länger als " + std::to_string(kMaxLocationLength) + " Zeichen");
  if (std::any_of(location.begin(), location.end(),
                  [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
    Refuse(location, "Steuerzeichen in der Adresse");
  const Reference r = Split(location.substr(0, location.find('#')), location);
  if (r.scheme) {
    std::string scheme = *r.scheme;
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (scheme != "http")
      Refuse(location, "nur http-Adressen werden befolgt");
    if (!r.authority)
      Refuse(location, "Adresse ohne Host");
  }

  HttpTarget target = base;
  target.query = r.query;
  if (r.authority) {
    ApplyAuthority(*r.authority, target, location);
    target.path = RemoveDotSegments(r.path);
  } else if (r.path.empty()) {
    target.path = base.path;
    if (!r.query)
      target.query = base.query;
  } else if (r.path.starts_with("/")) {
    target.path = RemoveDotSegments(r.path);
  } else {
    // Relative to the folder of the current path: its last segment goes.
    target.path = RemoveDotSegments(base.path.substr(0, base.path.rfind('/') + 1) + r.path);
  }
  if (target.path.empty())
    target.path.assign(1, '/'); // "http://host" asks for the server's root
  return target;
}

} // namespace net
