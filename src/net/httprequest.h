#pragma once
// The request kinds of the HTTP client and the header block of a request.
#include "net/exstrlist.h"

#include <cstdint>
#include <optional>
#include <string>

enum class CmdType : std::uint8_t {
  cmdGet,
  cmdOptions,
  cmdHead,
  cmdPost,
  cmdPut,
  cmdPatch,
  cmdCopy,
  cmdMove,
  cmdDelete,
  cmdLink,
  cmdUnlink,
  cmdTrace,
  cmdExtra
};

// Values for the optional header lines; empty ones are left out.
struct THeaderInfo {
  std::string LocalMailAddress;
  std::string LocalProgram;
  std::string Cookie;
  std::string Referer;
  std::string UserId;
  std::string Password;
};

namespace net {

// "GET " and so on, with the trailing blank; empty for cmdExtra.
const char* MethodLiteral(CmdType kind);

// Request kinds that send request data after the header block.
bool SendsData(CmdType kind);

// Whether the header announces a Content-Length for the request data.
bool AnnouncesLength(CmdType kind);

// "Basic " and the Base64 text of "user:password".
std::string BasicCredentials(const std::string& userId, const std::string& password);

struct RequestSettings {
  CmdType kind = CmdType::cmdGet;
  std::string extraMethod; // request method of cmdExtra; empty: no request line
  std::string url;         // sent in the request line when a proxy is used
  std::string path;        // sent in the request line otherwise
  std::string host;
  std::int32_t port = 80; // named in the Host line when it is not 80
  std::string proxy;
  const THeaderInfo* info = nullptr;
  std::string targetUri;
  std::uint64_t dataLength = 0; // used by the kinds that announce a Content-Length
};

// The request line and header lines, without the blank line that ends the block.
void BuildRequestHeader(const RequestSettings& settings, TExStringList& header);

} // namespace net
