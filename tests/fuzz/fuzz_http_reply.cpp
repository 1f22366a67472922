// The status line and the header lines of an HTTP reply, as the client reads them: the input is
// the bytes a server sends, cut into lines at each line feed as the socket layer cuts them.
#include "fuzzcheck.h"
#include "net/httpreply.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  net::ReplyHeaderFields fields;
  std::size_t start = 0;
  bool statusLine = true;
  while (start < reply.size()) {
    const std::size_t lf = reply.find('\n', start);
    if (lf == std::string::npos)
      break; // a line without its line feed never reaches the parser
    const std::string line = reply.substr(start, lf + 1 - start);
    start = lf + 1;
    if (statusLine) {
      statusLine = false;
      const int code = net::StatusCodeOf(line);
      FUZZ_CHECK(code >= 0 && code <= 999);
      FUZZ_CHECK(code == 0 || line.compare(0, 5, "HTTP/") == 0);
      continue;
    }
    if (net::IsHeaderEnd(line))
      break;
    const bool wasMalformed = fields.malformed;
    net::ApplyHeaderLine(line, fields);
    FUZZ_CHECK(!wasMalformed || fields.malformed); // once in doubt, always in doubt
    FUZZ_CHECK(!fields.contentLength || *fields.contentLength >= 0);
    FUZZ_CHECK(fields.location.size() <= 256 && fields.cookie.size() <= 256);
    FUZZ_CHECK(fields.location.find('\n') == std::string::npos);
    // A line without a colon says nothing about the reply but that it is broken.
    if (line.find(':') == std::string::npos)
      FUZZ_CHECK(fields.malformed);
  }
  return 0;
}
