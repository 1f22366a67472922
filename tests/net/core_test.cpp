// The internet client's pure pieces: header lists, encoders, URL splitting, request headers and
// reply parsing. Built natively (sanitizers) and for Windows.
#include "net/exstrlist.h"
#include "net/httpreply.h"
#include "net/httprequest.h"
#include "net/httptext.h"
#include "net/neterrors.h"
#include "net/urireference.h"
#include "net/urlencoder.h"
#include "net/uuprocessor.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <vector>

namespace {

using testsupport::MessageOf;

TEST(ExStringList, FindSetAndDeleteHeadersInAnyCaseSortedOrNot) {
  TExStringList list;
  list.Add("GET / HTTP/1.0");
  list.Add("Host");
  list.Add("host: a");
  list.Add("Host: b");
  EXPECT_EQ(list.FindHeader("HOST"), 2);
  EXPECT_EQ(list.FindHeader("Hos"), -1);
  EXPECT_EQ(list.FindHeader("GET / HTTP/1.0"), -1);

  list.Clear();
  list.Add("Accept: x");
  list.SetHeader("Cookie", "a=1");
  list.SetHeader("cookie", "b=2"); // replaces in place, with the new name's spelling
  list.SetHeader("Referer", "");   // nothing to delete: nothing happens
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1], "cookie: b=2");
  list.SetHeader("COOKIE", "");
  EXPECT_EQ(list.Text(), "Accept: x\r\n");

  list.Add("Host: h");
  list.Add("Host-Id: 7");
  list.SetSorted(true);
  EXPECT_EQ(list[0], "Accept: x");
  EXPECT_EQ(list[list.FindHeader("host")], "Host: h");
  EXPECT_EQ(list[list.FindHeader("host-id")], "Host-Id: 7");
  list.SetHeader("Zeta", "z");
  EXPECT_EQ(list[list.Count() - 1], "Zeta: z");
}

TEST(UrlEncoder, KeepsLettersAndDigitsEncodesTheRest) {
  TUrlEncoder encoder;
  EXPECT_EQ(encoder.Encode("a b&c"), "a+b%26c");
  EXPECT_EQ(encoder.Encode("x:y/Z9-_.~"), "x%3Ay%2FZ9%2D%5F%2E%7E");
  EXPECT_EQ(encoder.Encode("\xC3\xA4\n"), "%C3%A4%0A"); // bytes, not characters
  encoder.InputString = "Grüße 1";
  EXPECT_EQ(encoder.Encode(), "Gr%C3%BC%C3%9Fe+1");
}

// Each encoding fires one begin and one end event, and starts from the source's beginning.
std::string Encode(const std::string& source, UUMethods method) {
  std::stringstream in(source), out;
  in.seekg(0, std::ios::end);
  TUUProcessor p;
  p.Method = method;
  p.SourceStream = &in;
  p.TargetStream = &out;
  std::string events;
  p.OnBeginEncode = [&](TUUProcessor&) { events += "B"; };
  p.OnEndEncode = [&](TUUProcessor&) { events += "E"; };
  p.Encode();
  EXPECT_EQ(events, "BE");
  return out.str();
}

TEST(UUProcessor, MimeAndUUCode) {
  const std::string mime45 = [] {
    std::string line;
    for (int i = 0; i < 15; ++i)
      line += "YWFh"; // "aaa"
    return line;
  }();
  const struct {
    std::string source;
    UUMethods method;
    std::string encoded;
  } cases[] = {
      {"", UUMethods::uuMime, ""}, // the standard vectors
      {"f", UUMethods::uuMime, "Zg==\r\n"},
      {"fo", UUMethods::uuMime, "Zm8=\r\n"},
      {"foo", UUMethods::uuMime, "Zm9v\r\n"},
      {"foobar", UUMethods::uuMime, "Zm9vYmFy\r\n"},
      {std::string("\xFF\xFE\x00", 3), UUMethods::uuMime, "//4A\r\n"},
      {std::string(46, 'a'), UUMethods::uuMime, mime45 + "\r\nYQ==\r\n"}, // 45 bytes a line
      // "Cat" in uuencode: length 3 is '#', then "0V%T"; the end line is the grave accent.
      {"Cat", UUMethods::uuCode, "#0V%T\r\n`\r\n"},
      {"", UUMethods::uuCode, "`\r\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Encode(c.source, c.method), c.encoded) << c.source;
}

TEST(ParseUrl, HostPortAndPath) {
  const std::string longPath = "/" + std::string(255, 'p');
  const struct {
    std::string url, host; // the URL, and the host before it
    int port;              // the port before it
    std::string wantHost;
    int wantPort;
    std::string wantPath, wantUrl; // empty: the URL as it was
  } cases[] = {
      {"host/spezmemb/download/software/update.ini", "", 8000, "host", 8000,
       "/spezmemb/download/software/update.ini", ""}, // the update's own form keeps its port
      {"http://host:8080/x", "old", 0, "host", 8080, "/x", ""},
      {"http://host", "old", 0, "host", 80, "/", "http://host/"},
      {"http://host/", "old", 0, "host", 80, "/", ""},
      {"host", "", 81, "host", 81, "/", "host/"},
      {"host/a:b", "", 8000, "host", 80, "/a:b", ""}, // any colon resets a configured port
      {"ftp://f/x", "old", 0, "f", 21, "/x", ""},
      {"GOPHER://g/x", "old", 0, "g", 70, "/x", ""},
      {"127.0.0.1:5000/x", "", 80, "127.0.0.1", 5000, "/x", ""},
      {"/other/file", "kept", 90, "kept", 90, "/other/file", ""}, // path only: host and port stay
      {"h" + longPath + "pp", "old", 0, "h", 80, longPath, ""},   // the path is cut at 256
  };
  for (const auto& c : cases) {
    net::UrlTarget t{c.url, c.host, c.port, {}};
    net::ParseUrl(t);
    EXPECT_EQ(t.host, c.wantHost) << c.url;
    EXPECT_EQ(t.port, c.wantPort) << c.url;
    EXPECT_EQ(t.path, c.wantPath) << c.url;
    EXPECT_EQ(t.url, c.wantUrl.empty() ? c.url : c.wantUrl) << c.url;
  }
  const struct {
    std::string url, message;
  } refused[] = {
      {"HTTPS://host/x", "HTTP Secure Socket is not supported"},
      {"http://host:80a/x", "'80a' ist kein gültiger Integerwert"},
      {"http://host:/x", "'' ist kein gültiger Integerwert"},
      {"127.0.0.1:87538/x", "Port außerhalb von 1 bis 65535: 87538"},
      {"http://host:0/x", "Port außerhalb von 1 bis 65535: 0"},
      {"", "Leere URL"},
  };
  for (const auto& c : refused) {
    net::UrlTarget t{c.url, "old", 0, {}};
    EXPECT_EQ(MessageOf([&] { net::ParseUrl(t); }), c.message) << c.url;
  }
}

TEST(RequestHeader, LongCredentialsStayOneUnbrokenValue) {
  const std::string v = net::BasicCredentials(std::string(40, 'u'), std::string(40, 'p'));
  EXPECT_EQ(v.find('\r'), std::string::npos);
  EXPECT_EQ(v.size(), 6u + 4 * ((81 + 2) / 3));
}

TEST(RequestHeader, ProxyOptionalLinesAndData) {
  THeaderInfo info;
  info.UserId = "only-user"; // no password: no Authorization line
  info.LocalProgram = "DYNLOG";
  info.LocalMailAddress = "a@b";
  info.Cookie = "sid=1";
  info.Referer = "r";
  const net::RequestSettings s{.kind = CmdType::cmdPost,
                               .url = "host/spezmemb/download/software/update.ini",
                               .host = "host",
                               .proxy = "proxy",
                               .info = &info,
                               .dataLength = 7};
  TExStringList header;
  net::BuildRequestHeader(s, header);
  EXPECT_EQ(header.Text(),
            "POST host/spezmemb/download/software/update.ini HTTP/1.0\r\n"
            "Proxy-Connection: Keep-Alive\r\n"
            "Host: host\r\n"
            "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
            "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
            "User-Agent: DYNLOG\r\n"
            "From: a@b\r\n"
            "Cookie: sid=1\r\n"
            "Referer: r\r\n"
            "Content-type: application/x-www-form-urlencoded\r\n"
            "Content-Length: 7\r\n");
}

TEST(RequestHeader, KindsAndEmptyHost) {
  net::RequestSettings s{.kind = CmdType::cmdCopy,
                         .path = "/spezmemb/download/software/update.ini",
                         .targetUri = "/to"};
  TExStringList header;
  net::BuildRequestHeader(s, header);
  EXPECT_EQ(header.FindHeader("Host"), -1);
  EXPECT_EQ(header[0], "COPY /spezmemb/download/software/update.ini HTTP/1.0");
  EXPECT_EQ(header[header.Count() - 1], "URI-header: /to");

  s.kind = CmdType::cmdLink;
  net::BuildRequestHeader(s, header);
  EXPECT_EQ(header[header.Count() - 1], "Link: /to"); // Link sends no data, so no length
  EXPECT_EQ(header.FindHeader("Content-Length"), -1);

  s.kind = CmdType::cmdExtra;
  s.dataLength = 3;
  net::BuildRequestHeader(s, header);
  EXPECT_EQ(header[0], "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
  s.extraMethod = "PROPFIND";
  net::BuildRequestHeader(s, header);
  EXPECT_EQ(header[0], "PROPFIND /spezmemb/download/software/update.ini HTTP/1.0");
  EXPECT_EQ(header[header.Count() - 1], "Content-Length: 3");
}

// A reply's header block as the client reads it, cut into lines at each line feed: the status
// line, then header lines up to the blank line. The one table of the header forms; what the
// program update makes of each form is the hostile-server table (tests/info).
struct ParsedReply {
  int code = 0;
  net::ReplyHeaderFields fields;
};

ParsedReply ParseReply(const std::string& reply) {
  ParsedReply r;
  bool statusLine = true;
  for (std::size_t start = 0, lf; (lf = reply.find('\n', start)) != std::string::npos;
       start = lf + 1) {
    const std::string line = reply.substr(start, lf + 1 - start);
    if (statusLine)
      r.code = net::StatusCodeOf(line);
    else if (net::IsHeaderEnd(line))
      break;
    else
      net::ApplyHeaderLine(line, r.fields);
    statusLine = false;
  }
  return r;
}

std::string Ok(const std::string& headerLines) {
  return "HTTP/1.0 200 OK\r\n" + headerLines;
}

TEST(ReplyHeader, StatusAndHeaderForms) {
  const std::optional<std::int64_t> none;
  const struct {
    std::string reply;
    int code;
    std::optional<std::int64_t> length;
    bool malformed;
    std::string location = {}, cookie = {};
  } cases[] = {
      {"HTTP/1.0 404 Not Found\n", 404, none, false},
      {"HTTP/1.0 200\r\n", 200, none, false}, // no reason text
      {"HTTP/1.0 200\n", 200, none, false},   // nor a CR
      {"HTTP/1.0  200 OK\r\n", 200, none, false},
      {"HTTP/1.1 206 Partial\r\n", 206, none, false}, // the caller decides what it accepts
      {"garbage\r\n", 0, none, false},
      {"Name=dynlog.exe\r\n", 0, none, false}, // HTTP/0.9: the body comes at once
      {"HTTP/1.0 70000 Big\r\n", 0, none, false},
      {"HTTP/1.0 20 OK\r\n", 0, none, false},
      {"HTTP/1.0 2000\r\n", 0, none, false},
      {"HTTP/1.0 -200 OK\r\n", 0, none, false},
      {"HTTP/1.0 200OK\r\n", 0, none, false},
      {"HTTP/ 200 OK\r\n", 0, none, false},
      {"HTTP/1.0\r\n", 0, none, false},
      {"http/1.0 200 OK\r\n", 0, none, false},
      {"", 0, none, false},
      {Ok("Content-Length: 12\r\n"), 200, 12, false},
      {Ok("content-length: 12\r\n"), 200, 12, false},
      {Ok("Content-Length:12\r\n"), 200, 12, false},    // no blank after the colon
      {Ok("Content-Length:\t12 \r\n"), 200, 12, false}, // a tab, and a blank at the end
      {Ok("Content-Length: 0\r\n"), 200, 0, false},
      {Ok("Content-Length: 2147483648\r\n"), 200, 2147483648LL, false},
      {Ok("Content-Length: 99999999999999999999999\r\n"), 200, none, true},
      {Ok("Content-Length: -5\r\n"), 200, none, true},
      {Ok("Content-Length: x 34\r\n"), 200, none, true},
      {Ok("Content-Length: 1 2\r\n"), 200, none, true},
      {Ok("Content-Length: \r\n"), 200, none, true},
      {Ok(std::string("Content-Length: 1\0 0\r\n", 22)), 200, none, true},
      {Ok("Content-Length: 5\r\nContent-Length: 5\r\n"), 200, 5, false},
      {Ok("Content-Length: 5\r\nContent-Length: 6\r\n"), 200, 5, true},
      {Ok("Content-Length : 5\r\n"), 200, none, true}, // a blank before the colon
      {Ok("Server: x\r\n continued\r\n"), 200, none, true},
      {Ok("No colon here\r\n"), 200, none, true},
      {Ok(": empty name\r\n"), 200, none, true},
      {Ok("Transfer-Encoding: chunked\r\n"), 200, none, true},
      {Ok("Transfer-Encoding: identity\r\n"), 200, none, false},
      {Ok("X-Anything: \x01 whatever\r\n"), 200, none, false},
      {Ok("\r\nContent-Length: 5\r\n"), 200, none, false}, // the body, not a header
      {Ok(" \r\nContent-Length: 5\r\n"), 200, 5, true},    // a blank line is no end
      {"HTTP/1.0 302 Found\r\nLocation: http://other/new\r\nset-cookie: sid=42; path=/\n", 302,
       none, false, "http://other/new", "sid=42; path=/"},
      {Ok("Location:http://a/\r\nLOCATION: http://b/\r\n"), 200, none, false, "http://b/"},
      {Ok("Location: /a\rX-Injected: yes\r\n"), 200, none, false, // the CR stays, to be refused
       "/a\rX-Injected: yes"},
      {Ok("Location: " + std::string(300, 'a') + "\r\n"), 200, none, false, std::string(256, 'a')},
  };
  EXPECT_TRUE(ParseReply(Ok("Location: /" + std::string(256, 'a') + "\r\n")).fields.locationCut);
  for (const auto& c : cases) {
    const ParsedReply r = ParseReply(c.reply);
    EXPECT_EQ(r.code, c.code) << c.reply;
    EXPECT_EQ(r.fields.contentLength, c.length) << c.reply;
    EXPECT_EQ(r.fields.malformed, c.malformed) << c.reply;
    EXPECT_EQ(r.fields.location, c.location) << c.reply;
    EXPECT_EQ(r.fields.cookie, c.cookie) << c.reply;
  }
}

// Each Location and where it leads: the URL of the next request, or the reason it is refused
// (the Location as the refusal names it, when that differs). RFC 3986's examples (section 5.4)
// against its base, as far as they apply to an http client, then the ports and refusals.
TEST(Redirect, LocationsResolvedAgainstTheirRequest) {
  const net::HttpTarget rfc = net::TargetOf("a", 80, "/b/c/d;p?q");
  const net::HttpTarget peer = net::TargetOf("127.0.0.1", 22001, "/m/x");
  const std::string port = "Port außerhalb von 1 bis 65535", host = "Adresse ohne Host";
  const std::string scheme = "nur http-Adressen werden befolgt";
  const std::string control = "Steuerzeichen in der Adresse";
  const struct {
    const net::HttpTarget& base;
    std::string location, want, shown = {};
  } cases[] = {
      {rfc, "g", "http://a/b/c/g"}, // normal examples
      {rfc, "./g", "http://a/b/c/g"},
      {rfc, "g/", "http://a/b/c/g/"},
      {rfc, "/g", "http://a/g"},
      {rfc, "//g", "http://g/"},
      {rfc, "?y", "http://a/b/c/d;p?y"},
      {rfc, "g?y", "http://a/b/c/g?y"},
      {rfc, "#s", "http://a/b/c/d;p?q"}, // a fragment is never sent
      {rfc, "g#s", "http://a/b/c/g"},
      {rfc, "g?y#s", "http://a/b/c/g?y"},
      {rfc, ";x", "http://a/b/c/;x"},
      {rfc, "g;x", "http://a/b/c/g;x"},
      {rfc, "g;x?y#s", "http://a/b/c/g;x?y"},
      {rfc, "", "http://a/b/c/d;p?q"},
      {rfc, ".", "http://a/b/c/"},
      {rfc, "./", "http://a/b/c/"},
      {rfc, "..", "http://a/b/"},
      {rfc, "../", "http://a/b/"},
      {rfc, "../g", "http://a/b/g"},
      {rfc, "../..", "http://a/"},
      {rfc, "../../", "http://a/"},
      {rfc, "../../g", "http://a/g"},
      {rfc, "../../../g", "http://a/g"}, // abnormal examples
      {rfc, "../../../../g", "http://a/g"},
      {rfc, "/./g", "http://a/g"},
      {rfc, "/../g", "http://a/g"},
      {rfc, "g.", "http://a/b/c/g."},
      {rfc, ".g", "http://a/b/c/.g"},
      {rfc, "g..", "http://a/b/c/g.."},
      {rfc, "..g", "http://a/b/c/..g"},
      {rfc, "./../g", "http://a/b/g"},
      {rfc, "./g/.", "http://a/b/c/g/"},
      {rfc, "g/./h", "http://a/b/c/g/h"},
      {rfc, "g/../h", "http://a/b/c/h"},
      {rfc, "g;x=1/./y", "http://a/b/c/g;x=1/y"},
      {rfc, "g;x=1/../y", "http://a/b/c/y"},
      {rfc, "g?y/./x", "http://a/b/c/g?y/./x"},
      {rfc, "g?y/../x", "http://a/b/c/g?y/../x"},
      {rfc, "g#s/./x", "http://a/b/c/g"},
      {rfc, "g#s/../x", "http://a/b/c/g"},
      {rfc, "g:h", scheme},
      {rfc, "http:g", host}, // the strict reading: an http URL names its host
      {peer, "//127.0.0.5/m/x", "http://127.0.0.5/m/x"}, // the scheme's port, not the peer's
      {peer, "/a:b/x", "http://127.0.0.1:22001/a:b/x"},  // a colon in a path is no port
      {peer, "x/y", "http://127.0.0.1:22001/m/x/y"},
      {peer, "HTTP://h:8080", "http://h:8080/"},
      {peer, "http://h:/x", "http://h/x"},
      {peer, "//h:87538/x", port},
      {peer, "//h:0/x", port},
      {peer, "//h:99999999999999999999/x", port},
      {peer, "//h:8a/x", "ungültiger Port"},
      {peer, "//user:pw@h/x", "Anmeldedaten in der Adresse"},
      {peer, "//[::1]:8080/x", "IPv6-Adressen werden nicht unterstützt"},
      {peer, "//h%41/x", "ungültiger Hostname"},
      {peer, "//a..b/x", "ungültiger Hostname"},
      {peer, "http://", host},
      {peer, "127.0.0.1:8080/x", "keine gültige Adresse"},
      {peer, "localhost:8080/x", scheme},
      {peer, "https://h/x", scheme},
      {peer, "/a\rX-Injected: yes", control, "/a%0DX-Injected:%20yes"},
      {peer, "/a\x7f", control, "/a%7F"},
      {peer, "/" + std::string(256, 'p'), "Adresse länger als 256 Zeichen",
       "/" + std::string(79, 'p') + "..."},
  };
  for (const auto& c : cases) {
    std::string got;
    try {
      got = net::ResolveLocation(c.base, c.location).Url();
    } catch (const ESockError& e) {
      got = e.what();
    }
    const std::string refused = "Weiterleitung nach \"" + (c.shown.empty() ? c.location : c.shown) +
                                "\" abgelehnt: " + c.want;
    EXPECT_EQ(got, c.want.starts_with("http://") ? c.want : refused) << c.location;
  }
  // The reply parser keeps no more than a Location may have, and says when it had more.
  EXPECT_EQ(MessageOf([&] { net::ResolveLocation(peer, "/x", true); }),
            "Weiterleitung nach \"/x\" abgelehnt: Adresse länger als 256 Zeichen");
}

TEST(Redirect, SameServerAndTheHostLine) {
  EXPECT_TRUE(net::SameServer("Host", 8080, "host", 8080));
  EXPECT_FALSE(net::SameServer("host", 8080, "host", 8081));
  EXPECT_FALSE(net::SameServer("localhost", 80, "127.0.0.1", 80));
  EXPECT_EQ(net::HostLineValue("host", 80), "host");
  EXPECT_EQ(net::HostLineValue("host", 8080), "host:8080");
  EXPECT_EQ(net::HostLineValue("", 8080), "");
}

} // namespace
