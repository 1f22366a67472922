#pragma once
// Reading the header block of an HTTP reply, one line at a time.
#include <cstdint>
#include <string>

namespace net {

// The status code of a status line such as "HTTP/1.0 200 OK\r\n": its second blank-separated
// field as a plain number, 0 when it is none (also "HTTP/1.0 200\r\n", whose field holds the line
// end). A number outside 16 bits raises ERangeError.
std::int16_t StatusCodeOf(const std::string& statusLine);

// What the header lines of one reply tell the client.
struct ReplyHeaderFields {
  std::string cookie;             // value of the last "Set-Cookie: " line of this reply
  std::string location;           // value of the last "Location: " line; kept across replies
  std::int32_t contentLength = 0; // 0 when not announced
};

// Takes one header line (with its line end). Names count in any letter case, but only when one
// blank follows the colon.
void ApplyHeaderLine(const std::string& line, ReplyHeaderFields& fields);

// The blank line that ends a header block: exactly LF or CR LF.
inline bool IsHeaderEnd(const std::string& line) {
  return line == "\n" || line == "\r\n";
}

} // namespace net
