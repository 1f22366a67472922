#include "net/httprequest.h"

#include "net/httptext.h"
#include "net/uuprocessor.h"

#include <sstream>

namespace net {

const char* MethodLiteral(CmdType kind) {
  switch (kind) {
  case CmdType::cmdGet:
    return "GET ";
  case CmdType::cmdOptions:
    return "OPTIONS ";
  case CmdType::cmdHead:
    return "HEAD ";
  case CmdType::cmdPost:
    return "POST ";
  case CmdType::cmdPut:
    return "PUT ";
  case CmdType::cmdPatch:
    return "PATCH ";
  case CmdType::cmdCopy:
    return "COPY ";
  case CmdType::cmdMove:
    return "MOVE ";
  case CmdType::cmdDelete:
    return "DELETE ";
  case CmdType::cmdLink:
    return "LINK ";
  case CmdType::cmdUnlink:
    return "UNLINK ";
  case CmdType::cmdTrace:
    return "TRACE ";
  case CmdType::cmdExtra:
    return "";
  }
  return "";
}

bool SendsData(CmdType kind) {
  switch (kind) {
  case CmdType::cmdPost:
  case CmdType::cmdPut:
  case CmdType::cmdPatch:
  case CmdType::cmdTrace:
  case CmdType::cmdExtra:
    return true;
  default:
    return false;
  }
}

// Link and Unlink send no data, so they announce none either: a length without the bytes behind
// it would leave the server waiting for them.
bool AnnouncesLength(CmdType kind) {
  return SendsData(kind);
}

std::string BasicCredentials(const std::string& userId, const std::string& password) {
  std::stringstream source(userId + ":" + password);
  std::stringstream target;
  TUUProcessor encoder;
  encoder.Method = UUMethods::uuMime;
  encoder.SourceStream = &source;
  encoder.TargetStream = &target;
  encoder.Encode();
  // One unbroken text: the encoder ends every 45-byte line with CR LF.
  std::string encoded;
  for (const char c : target.str())
    if (c != '\r' && c != '\n')
      encoded += c;
  return "Basic " + encoded;
}

void BuildRequestHeader(const RequestSettings& s, TExStringList& header) {
  header.Clear();
  const bool viaProxy = !s.proxy.empty();
  const std::string target = RequestTarget(viaProxy ? s.url : s.path);
  if (s.kind != CmdType::cmdExtra)
    header.Add(MethodLiteral(s.kind) + target + " HTTP/1.0");
  else if (!s.extraMethod.empty())
    header.Add(s.extraMethod + " " + target + " HTTP/1.0");
  const std::string host = HostLineValue(s.host, s.port);
  if (viaProxy) {
    header.Add("Proxy-Connection: Keep-Alive");
    header.Add("Host: " + host);
  }
  header.SetHeader("Host", host);
  header.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
  header.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
  static const THeaderInfo kNone;
  const THeaderInfo& info = s.info != nullptr ? *s.info : kNone;
  if (!info.LocalProgram.empty())
    header.SetHeader("User-Agent", info.LocalProgram);
  if (!info.LocalMailAddress.empty())
    header.SetHeader("From", info.LocalMailAddress);
  if (!info.Cookie.empty())
    header.SetHeader("Cookie", info.Cookie);
  if (!info.Referer.empty())
    header.SetHeader("Referer", info.Referer);
  if (!info.UserId.empty() && !info.Password.empty())
    header.SetHeader("Authorization", BasicCredentials(info.UserId, info.Password));
  header.Add("Content-type: application/x-www-form-urlencoded");
  if (s.kind == CmdType::cmdCopy || s.kind == CmdType::cmdMove)
    header.Add("URI-header: " + s.targetUri);
  if (s.kind == CmdType::cmdLink || s.kind == CmdType::cmdUnlink)
    header.Add("Link: " + s.targetUri);
  if (AnnouncesLength(s.kind))
    header.Add("Content-Length: " + std::to_string(s.dataLength));
}

} // namespace net
