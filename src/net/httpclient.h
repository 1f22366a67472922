#pragma once
// THttpClient: an HTTP/1.0 client on a socket connection. Every request runs to its end inside
// the call (redirects included), keeps window messages flowing while it waits, and raises when
// the exchange cannot be carried out. An HTTP error status does not raise: it fires OnFailure.
//
// What the program runs: the program update uses Get with the body captured to a file, the
// reply's getters (ReplyCode, ReplyHeaderValid, AnnouncedLength), HeaderInfo's credentials and
// OnPacketRecvd; below that, TSocketConnection's Connect and ReadLn. The other request kinds,
// post data and the events are the component's full surface, kept whole and tested, but not
// on any path the program takes. Typical use, as the update does it:
//   client.InputFileMode = true;
//   client.HeaderInfo.UserId = "..."; client.HeaderInfo.Password = "...";
//   client.Body = bodyFile; client.Header = headerFile;
//   client.BodyLimit = limit; client.Deadline = THttpClient::DeadlineFor(limit);
//   client.OnPacketRecvd = [](TSocketConnection& c) { show c.ReceivedBytes(), c.ExpectedBytes() };
//   client.Get("http://host:80/path/file");   // the whole target: scheme, host and port
#include "net/exstrlist.h"
#include "net/httpreply.h"
#include "net/httprequest.h"
#include "net/sockconn.h"
#include "net/threadtimer.h"
#include "net/urireference.h"
#include "net/urlencoder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class THttpClient : public TSocketConnection {
public:
  using TResultEvent = std::function<void(CmdType cmd)>;

  // A request gives up after this many passes of redirects and repeated replies.
  static constexpr int kMaxPasses = 20;

  THttpClient();
  ~THttpClient() override;

  // InputFileMode true: name of the file that receives the reply body; false: the body itself.
  std::string Body = "Default.htm";
  // OutputFileMode true: name of the file that receives the reply header; false: the header text.
  std::string Header = "Head.txt";
  THeaderInfo HeaderInfo;
  bool InputFileMode = false;
  // Also selects where request data comes from: true, the file named by the data argument.
  bool OutputFileMode = false;
  // Post data held in memory is form-URL-encoded before it is sent.
  bool EncodeSendData = true;
  // The method ExtraRequest sends; left empty, its request has no request line.
  std::string ExtraMethod;

  TNotifyEvent OnAboutToSend;          // the request header is built, the connection not yet made
  TResultEvent OnSuccess;              // reply code below 299
  TResultEvent OnFailure;              // reply code 400 and above
  THandlerEvent OnRedirect;            // reply codes 300 to 398; handled = true ends the request
  TNotifyEvent OnAuthenticationNeeded; // reply code 401, after the request has ended

  void Get(const std::string& url); // the one the program uses
  // The rest of the request kinds: the component's surface, not used by the program.
  void Options(const std::string& url);
  void Head(const std::string& url);
  void Delete(const std::string& url);
  void Post(const std::string& url, const std::string& data);
  void Put(const std::string& url, const std::string& data);
  void Patch(const std::string& url, const std::string& data);
  void Trace(const std::string& url, const std::string& data);
  void ExtraRequest(const std::string& url, const std::string& data);
  void Copy(const std::string& url, const std::string& target);
  void Move(const std::string& url, const std::string& target);
  void Link(const std::string& url, const std::string& target);
  void Unlink(const std::string& url, const std::string& target);

  // Ends the request in progress with the socket layer's abort exception; the time-out uses it.
  void Abort() override;
  // Ends the request in progress as Abort does, and every later one before it connects, until
  // Resume. An owner that makes several requests in a row needs this: Connect forgets a cancel.
  void Stop();
  void Resume() { stopped_ = false; }
  bool Stopped() const { return stopped_; }

  // With InputFileMode, the most body bytes a reply may bring (0: no limit). A reply that
  // announces more is not read, one that sends more is broken off; either ends the request
  // without an exception and sets BodyOverLimit.
  std::int64_t BodyLimit = 0;
  bool BodyOverLimit() const { return bodyOverLimit_; }

  // The most a whole request may take, redirects included, in milliseconds (0: no limit).
  // TimeOut bounds each silence; this bounds a server that keeps a transfer alive with a byte now
  // and then. Past it the request ends with EAbortError "Zeitlimit der Anfrage (N s)
  // überschritten".
  std::int32_t Deadline = 0;
  // A Deadline for a transfer of at most `bytes` body bytes: a minute for the exchange, and a
  // second for every 32 KiB, so that a line slower than 256 kbit/s is given up on.
  static std::int32_t DeadlineFor(std::int64_t bytes);

  // What the last request used and received.
  const std::string& RequestUrl() const { return requestUrl_; }
  const std::string& RequestPath() const { return requestPath_; }
  CmdType RequestKind() const { return requestKind_; }
  const TExStringList& RequestHeader() const { return requestHeader_; }
  const std::string& RedirectLocation() const { return reply_.location; }
  const std::string& ReceivedCookie() const { return reply_.cookie; }
  // Whether the last reply's header block arrived whole, ended by its blank line, and kept to
  // the rules: a reply cut off before that line, or one whose body length is in doubt, is no
  // reply to rely on, whatever its status code says.
  bool ReplyHeaderValid() const { return headerComplete_ && !reply_.malformed; }
  // The body length the last reply announced; none when it named none.
  std::optional<std::int64_t> AnnouncedLength() const { return reply_.contentLength; }

protected:
  virtual void PerformRequest();
  virtual void ParseUrl();
  virtual void BuildRequestHeader();
  virtual void ReadReplyHeader();
  virtual void SendRequest();

private:
  void Run(CmdType kind, const std::string& url);
  void RunOnePass();
  void DeadlinePassed();

  std::string requestPath_;
  TExStringList requestHeader_;
  net::ReplyHeaderFields reply_;
  std::string sendData_;
  std::string targetUri_;
  std::string requestUrl_;
  CmdType requestKind_ = CmdType::cmdGet;
  bool headerComplete_ = false;
  // Where this pass goes, and where the last redirect followed leads.
  net::HttpTarget target_;
  std::optional<net::HttpTarget> redirected_;
  // The server the request was made to: only it gets the credentials and the cookie.
  std::string originHost_;
  std::int32_t originPort_ = 0;
  bool firstPass_ = true;
  bool stopped_ = false;
  bool bodyOverLimit_ = false;
  std::unique_ptr<TThreadTimer> deadlineClock_;
  bool deadlinePassed_ = false;
  TUrlEncoder encoder_;
};
