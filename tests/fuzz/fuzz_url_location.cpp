// URL splitting and the handling of a redirect's Location: whatever a server names, the next
// request line either is refused or is one line that starts with the method and a path.
#include "fuzzcheck.h"
#include "net/exstrlist.h"
#include "net/httprequest.h"
#include "net/httptext.h"
#include "net/neterrors.h"
#include "net/urireference.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  // The first byte picks the port the client had; the rest is the URL or Location.
  const std::int32_t configuredPort = data[0] % 3 == 0 ? 0 : (data[0] % 3 == 1 ? 80 : 8080);
  const std::string url(reinterpret_cast<const char*>(data + 1), size - 1);

  for (int n = 0; n < 5; ++n) {
    const std::string field = net::NthField(url, '/', n);
    FUZZ_CHECK(field.size() <= url.size());
    FUZZ_CHECK(net::NthCharPos(url, ':', n) <= url.size() + 1);
  }

  std::optional<net::HttpTarget> followed;
  try {
    followed = net::ResolveLocation(net::TargetOf("lasthost", 8080, "/a/b?q"), url);
  } catch (const ESockError&) {
  }
  if (followed) { // no control character reaches a request line, and the port is a port
    const std::string line = followed->host + followed->PathAndQuery();
    FUZZ_CHECK(std::none_of(line.begin(), line.end(),
                            [](unsigned char c) { return c < 0x20 || c == 0x7F; }));
    FUZZ_CHECK(!followed->host.empty() && followed->path[0] == '/');
    FUZZ_CHECK(followed->port >= 1 && followed->port <= 65535);
  }

  net::UrlTarget target{url, "lasthost", configuredPort, {}};
  try {
    net::ParseUrl(target);
  } catch (const std::runtime_error&) {
    return 0; // "Leere URL", https, a port that is no number: all refused before any connection
  }
  FUZZ_CHECK(!target.path.empty() && target.path.size() <= 256);
  FUZZ_CHECK(target.path[0] == '/');
  FUZZ_CHECK(!target.host.empty());

  if (!followed)
    return 0;
  // A followed target gives exactly the lines the client means to send.
  THeaderInfo info;
  info.UserId = "58213";
  info.Password = "VeNuSaR";
  net::RequestSettings settings;
  settings.url = followed->Url();
  settings.path = followed->PathAndQuery();
  settings.host = followed->host;
  settings.port = followed->port;
  settings.info = &info;
  TExStringList header;
  net::BuildRequestHeader(settings, header);
  FUZZ_CHECK(header.Count() == 6);
  const std::string text = header.Text();
  FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == 6);
  FUZZ_CHECK(std::count(text.begin(), text.end(), '\r') == 6);
  FUZZ_CHECK(header[0].rfind("GET ", 0) == 0);
  return 0;
}
