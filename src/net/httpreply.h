#pragma once
// Reading the header block of an HTTP reply, one line at a time.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace net {

// The most a reply's header block may take, status line included. Real servers send a few
// hundred bytes; a peer that sends more is not one we want to read on.
inline constexpr std::size_t kMaxReplyHeaderBytes = 65536;

// The status code of a status line such as "HTTP/1.0 200 OK\r\n": "HTTP/" and a version, one or
// more blanks, three digits, then the end of the line or a blank and the reason text. 0 for any
// other line (garbage, an HTTP/0.9 reply that starts with its body).
std::int16_t StatusCodeOf(const std::string& statusLine);

// What the header lines of one reply tell the client.
struct ReplyHeaderFields {
  std::string cookie;           // value of the last "Set-Cookie" line of this reply
  std::string location;         // value of the last "Location" line; kept across replies
  bool locationInReply = false; // this reply carried a "Location" line with a value
  bool locationCut = false;     // that value was longer than location holds
  std::optional<std::int64_t> contentLength; // the announced body length, when there is one
  // The block broke the rules of HTTP in a way that leaves its body in doubt: a line that is no
  // "name: value" line, a Content-Length that is no plain number or disagrees with an earlier one,
  // a body coding (chunked) this client does not decode.
  bool malformed = false;
};

// Takes one header line (with its line end). Names count in any letter case; blanks and tabs may
// follow the colon.
void ApplyHeaderLine(const std::string& line, ReplyHeaderFields& fields);

// The blank line that ends a header block: exactly LF or CR LF.
inline bool IsHeaderEnd(const std::string& line) {
  return line == "\n" || line == "\r\n";
}

} // namespace net
