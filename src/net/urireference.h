#pragma once
// Where a redirect leads: a Location resolved against the request that received it, as URI
// references are resolved everywhere (a path relative to the current one, a host with the
// scheme's own port, a query of its own). Pure text work; nothing here touches the network.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace net {

// The longest Location the client follows; the reply parser keeps no more of one. A longer one
// is refused as a whole: a cut address is another address.
inline constexpr std::size_t kMaxLocationLength = 256;

// The target of an http request, taken apart.
struct HttpTarget {
  std::string host;
  std::int32_t port = 80;
  std::string path = "/";           // never empty; starts with "/"
  std::optional<std::string> query; // without its "?"

  // "http://host[:port]/path[?query]", the port named only when it is not 80.
  std::string Url() const;
  // The path and query as the request line carries them.
  std::string PathAndQuery() const;
};

// The target of a request as the client split it: a "?" in the path starts the query.
HttpTarget TargetOf(const std::string& host, std::int32_t port, const std::string& pathAndQuery);

// The request a Location sends the client to, resolved against base, the target of the request
// whose reply named it. A fragment stays with the client and is dropped. Raises ESockError
// 'Weiterleitung nach "LOCATION" abgelehnt: REASON' (the Location with its unprintable bytes
// percent-encoded) for what the client cannot or must not follow: a scheme other than http, no
// host, userinfo, an IPv6 literal or any other host that is no name or IPv4 address, a port outside
// 1 to 65535, a control character, or more than kMaxLocationLength characters (cut: the reply
// had more of it than location holds).
HttpTarget ResolveLocation(const HttpTarget& base, const std::string& location, bool cut = false);

} // namespace net
