#include "net/httpclient.h"

#include "base/handles.h"
#include "net/httptext.h"
#include "net/netfile.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Milliseconds as seconds with at most one decimal, a comma before it: "62", "1,5".
std::string SecondsText(std::int32_t ms) {
  const std::string whole = std::to_string(ms / 1000);
  return ms % 1000 / 100 == 0 ? whole : whole + "," + std::to_string(ms % 1000 / 100);
}

} // namespace

THttpClient::THttpClient() : deadlineClock_(std::make_unique<TThreadTimer>()) {
  deadlineClock_->SetEnabled(false);
  deadlineClock_->SetOnTimer([this](TThreadTimer&) { DeadlinePassed(); });
}

THttpClient::~THttpClient() = default;

std::int32_t THttpClient::DeadlineFor(std::int64_t bytes) {
  constexpr std::int64_t kBytesPerSecond = 32 * 1024;
  const std::int64_t seconds =
      60 + (std::max<std::int64_t>(bytes, 0) + kBytesPerSecond - 1) / kBytesPerSecond;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(seconds * 1000, std::numeric_limits<std::int32_t>::max()));
}

void THttpClient::DeadlinePassed() {
  deadlineClock_->SetEnabled(false);
  deadlinePassed_ = true;
  Abort();
}

void THttpClient::Abort() {
  SetWaitDone();
  Cancel();
}

void THttpClient::Stop() {
  stopped_ = true;
  Abort();
}

void THttpClient::Run(CmdType kind, const std::string& url) {
  requestUrl_ = url;
  requestKind_ = kind;
  PerformRequest();
}

void THttpClient::Get(const std::string& url) {
  Run(CmdType::cmdGet, url);
}
void THttpClient::Options(const std::string& url) {
  Run(CmdType::cmdOptions, url);
}
void THttpClient::Head(const std::string& url) {
  Run(CmdType::cmdHead, url);
}
void THttpClient::Delete(const std::string& url) {
  Run(CmdType::cmdDelete, url);
}

void THttpClient::Post(const std::string& url, const std::string& data) {
  sendData_ = EncodeSendData && !OutputFileMode ? encoder_.Encode(data) : data;
  Run(CmdType::cmdPost, url);
}

void THttpClient::Put(const std::string& url, const std::string& data) {
  sendData_ = data;
  Run(CmdType::cmdPut, url);
}

void THttpClient::Patch(const std::string& url, const std::string& data) {
  sendData_ = data;
  Run(CmdType::cmdPatch, url);
}

void THttpClient::Trace(const std::string& url, const std::string& data) {
  sendData_ = data;
  Run(CmdType::cmdTrace, url);
}

void THttpClient::ExtraRequest(const std::string& url, const std::string& data) {
  sendData_ = data;
  Run(CmdType::cmdExtra, url);
}

void THttpClient::Copy(const std::string& url, const std::string& target) {
  targetUri_ = target;
  Run(CmdType::cmdCopy, url);
}

void THttpClient::Move(const std::string& url, const std::string& target) {
  targetUri_ = target;
  Run(CmdType::cmdMove, url);
}

void THttpClient::Link(const std::string& url, const std::string& target) {
  targetUri_ = target;
  sendData_ = "Send.dat";
  Run(CmdType::cmdLink, url);
}

void THttpClient::Unlink(const std::string& url, const std::string& target) {
  targetUri_ = target;
  sendData_ = "Send.dat";
  Run(CmdType::cmdUnlink, url);
}

void THttpClient::ParseUrl() {
  if (redirected_) {
    // Resolved and checked when the redirect came; a repeated reply asks for it again.
    target_ = *redirected_;
    requestUrl_ = target_.Url();
    Host = target_.host;
    Port = target_.port;
    requestPath_ = target_.PathAndQuery();
  } else {
    net::UrlTarget target{requestUrl_, Host, Port, {}};
    net::ParseUrl(target);
    requestUrl_ = target.url;
    Host = target.host;
    Port = target.port;
    requestPath_ = target.path;
    target_ = net::TargetOf(Host, Port, requestPath_);
  }
  if (firstPass_) {
    originHost_ = Host;
    originPort_ = Port;
  }
}

void THttpClient::BuildRequestHeader() {
  net::RequestSettings settings;
  settings.kind = requestKind_;
  settings.extraMethod = ExtraMethod;
  settings.url = requestUrl_;
  settings.path = requestPath_;
  settings.host = Host;
  settings.port = Port;
  settings.proxy = Proxy;
  // A redirect may lead to any server; the user's credentials and the cookie stay with the one
  // the request was made to, as browsers keep them.
  THeaderInfo elsewhere = HeaderInfo;
  elsewhere.UserId.clear();
  elsewhere.Password.clear();
  elsewhere.Cookie.clear();
  settings.info = net::SameServer(Host, Port, originHost_, originPort_) ? &HeaderInfo : &elsewhere;
  settings.targetUri = targetUri_;
  if (net::AnnouncesLength(requestKind_))
    settings.dataLength =
        OutputFileMode ? net::NetFile::OpenRead(sendData_).Size() : sendData_.size();
  net::BuildRequestHeader(settings, requestHeader_);
}

void THttpClient::SendRequest() {
  Write(requestHeader_.Text());
  Writeln("");
  if (!net::SendsData(requestKind_))
    return;
  if (OutputFileMode)
    SendFile(sendData_);
  else
    Write(sendData_);
}

void THttpClient::ReadReplyHeader() {
  SetExpectedBytes(0);
  reply_.cookie.clear();
  reply_.locationInReply = false;
  reply_.locationCut = false;
  reply_.contentLength.reset();
  reply_.malformed = false;
  headerComplete_ = false;
  std::optional<net::NetFile> file;
  if (OutputFileMode)
    file.emplace(net::NetFile::Create(Header));
  else
    Header.clear();
  // Every line is kept as received, line end included, so that the header holds the raw block.
  const auto store = [&](const std::string& line) {
    if (file)
      file->Write(line.data(), line.size());
    else
      Header += line;
  };
  // The whole block, not each line, is held to the limit, so that the work stays in proportion
  // to what a sensible server sends.
  std::size_t budget = net::kMaxReplyHeaderBytes;
  const auto readLine = [&] {
    bool tooLong = false;
    std::string line = ReadLine(budget, tooLong);
    if (tooLong)
      throw ESockError("Antwortkopf des Servers ist länger als 65536 Bytes");
    budget -= line.size();
    return line;
  };
  const std::string status = readLine();
  if (!status.empty())
    SetReplyCode(net::StatusCodeOf(status));
  store(status);
  if (status.empty() || net::IsHeaderEnd(status))
    return; // closed at once, or a bare blank line: no status, no header
  for (;;) {
    // An empty text means the peer closed before the blank line: the block is cut off.
    const std::string line = readLine();
    if (line.empty())
      break;
    store(line);
    if (net::IsHeaderEnd(line)) {
      headerComplete_ = true;
      break;
    }
    net::ApplyHeaderLine(line, reply_);
    SetExpectedBytes(static_cast<std::int32_t>(std::min<std::int64_t>(
        reply_.contentLength.value_or(0), std::numeric_limits<std::int32_t>::max())));
  }
}

void THttpClient::RunOnePass() {
  // Connect clears a cancel; a stop or a deadline that came before it must not be lost.
  if (stopped_ || deadlinePassed_)
    throw EAbortError("Anfrage abgebrochen");
  Connect();
  SendRequest();
  SetReplyCode(0);
  ReadReplyHeader();
  if (InputFileMode && BodyLimit > 0) {
    bodyOverLimit_ =
        reply_.contentLength.value_or(0) > BodyLimit || CaptureFileUpTo(Body, BodyLimit);
    if (bodyOverLimit_)
      return;
  } else if (InputFileMode) {
    CaptureFile(Body);
  } else {
    CaptureString(Body, -1);
  }

  const int code = ReplyCode();
  if (code < 299) {
    if (OnSuccess)
      OnSuccess(requestKind_);
    ReportStatus(2, "Transaktion erfolgreich");
  } else if (code >= 300 && code <= 302) {
    requestUrl_ = reply_.location;
  } else if (code >= 400) {
    if (OnFailure)
      OnFailure(requestKind_);
  }
}

void THttpClient::PerformRequest() {
  firstPass_ = true;
  bodyOverLimit_ = false;
  redirected_.reset();
  deadlinePassed_ = false;
  if (Deadline < 0)
    throw ERangeError();
  deadlineClock_->SetInterval(static_cast<unsigned>(Deadline));
  deadlineClock_->SetEnabled(Deadline > 0);
  base::ScopeExit stopClock{[this] { deadlineClock_->SetEnabled(false); }};
  for (int pass = 1;; ++pass) {
    ParseUrl();
    BuildRequestHeader();
    firstPass_ = false;
    if (OnAboutToSend)
      OnAboutToSend(*this);
    try {
      RunOnePass();
    } catch (...) {
      try {
        Disconnect();
      } catch (...) {
        // The failure of the request is the one to report.
      }
      // Whichever wait the deadline ended, the deadline is the reason.
      if (deadlinePassed_)
        throw EAbortError("Zeitlimit der Anfrage (" + SecondsText(Deadline) + " s) überschritten");
      throw;
    }
    Disconnect();
    if (bodyOverLimit_)
      return;

    const int code = ReplyCode();
    if (code >= 300 && code <= 398) {
      bool handled = false;
      // A cookie is kept only from the server the request was made to, which is the only one
      // that gets it back.
      if (!reply_.cookie.empty() &&
          net::SameServer(target_.host, target_.port, originHost_, originPort_))
        HeaderInfo.Cookie = reply_.cookie;
      if (OnRedirect)
        OnRedirect(handled);
      if (handled)
        return;
      // Checked only now that it is about to be followed: a handler may take care of any target.
      // A redirect that names no target of its own has nothing to follow; the target of an
      // earlier reply, or the server's root, is not what was asked for.
      if (code <= 302 && !reply_.locationInReply)
        throw ESockError("Weiterleitung ohne Zieladresse");
      if (code <= 302)
        redirected_ = net::ResolveLocation(target_, reply_.location, reply_.locationCut);
    }
    if (code == 401 && OnAuthenticationNeeded)
      OnAuthenticationNeeded(*this);
    if (code < 299 || code > 399)
      return;
    // 299 and 303 to 399 repeat the same URL; a server that keeps answering so (304, 307) or
    // redirects in a circle would hold the request for ever.
    if (pass >= kMaxPasses)
      throw ESockError("Zu viele Weiterleitungen");
  }
}
