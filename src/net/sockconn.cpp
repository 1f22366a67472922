// TSocketConnection: start-up of the socket library, host look-up, connecting, closing, the
// socket notifications, the time-out clock, status texts and error texts.
#include "net/sockconn.h"

#include "base/messageloop.h"
#include "net/hiddenwindow.h"
#include "net/wsockerrors.h"

#include <winsock.h>

#include <cstring>

namespace {

// Objects that have started the socket library; the first starts it, the last cleans it up.
int g_winsockUsers = 0;

// Read, out-of-band, accept, connect and close. Write readiness is asked for too: a send that the
// socket refuses with "would block" waits for it instead of retrying in a tight loop.
constexpr long kNotifyMask = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

// A wait also looks at the socket again after this long, in case a notification went astray.
constexpr std::uint64_t kSafetyPollMs = 1000;

const char kInitFailed[] = "Die Initialisierung der Windows-Sockets ist fehlgeschlagen";

// The look-up answered with an error. Connect swallows this one and goes on without an address.
class ELookupFailed : public ESockError {
public:
  ELookupFailed() : ESockError("Host-Lookup fehlgeschlagen") {}
};

} // namespace

TSocketConnection::TSocketConnection() {
  ReportStatus(8, "Erzeugen");
  notifyWindow_.reset(net::CreateHiddenWindow(L"SockConnWindowClass", &NotifyWindowProc));
  if (!notifyWindow_.get())
    throw ESockError(kInitFailed);
  net::SetHiddenWindowObject(notifyWindow_.get(), this);
  try {
    timer_ = std::make_unique<TThreadTimer>();
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](TThreadTimer& sender) { TimeoutElapsed(sender); });
    InitSockets();
  } catch (...) {
    timer_.reset();
    net::SetHiddenWindowObject(notifyWindow_.get(), nullptr);
    notifyWindow_.reset();
    throw;
  }
}

TSocketConnection::~TSocketConnection() {
  ReportStatus(8, "Löschen");
  Abort();
  Cancel();
  if (lookupTask_ != nullptr)
    WSACancelAsyncRequest(lookupTask_);
  timer_.reset();
  net::SetHiddenWindowObject(notifyWindow_.get(), nullptr);
  destroying_ = true;
  try {
    CloseSocket();
  } catch (...) {
    // A failing close cannot be reported from here; the socket library's clean-up follows.
  }
  notifyWindow_.reset();
  if (startedLibrary_ && --g_winsockUsers == 0)
    WSACleanup();
}

void TSocketConnection::InitSockets() {
  ReportStatus(8, "Winsock wird initialisiert");
  try {
    startedLibrary_ = true;
    if (++g_winsockUsers == 1) {
      WSADATA data{};
      WSAStartup(MAKEWORD(1, 1), &data);
      const auto version = [](WORD v) {
        return std::to_string(HIBYTE(v)) + "." + std::to_string(LOBYTE(v));
      };
      winsockInfo_.push_back("Version= " + version(data.wVersion));
      winsockInfo_.push_back("Hauptversion= " + version(data.wHighVersion));
      winsockInfo_.push_back(std::string("Beschreibung= ") + data.szDescription);
      winsockInfo_.push_back(std::string("System= ") + data.szSystemStatus);
      winsockInfo_.push_back("Max Sockets= " + std::to_string(data.iMaxSockets));
      winsockInfo_.push_back("Max Upd Pack.-Größe= " + std::to_string(data.iMaxUdpDg));
    }
    if (!MakeSocket(true))
      throw ESockError(kInitFailed);
  } catch (...) {
    startedLibrary_ = false;
    if (--g_winsockUsers == 0)
      WSACleanup();
    throw ESockError(kInitFailed);
  }
}

// A new unconnected TCP socket, registered for notification. The first socket of an object
// lingers 0 s, so that closing it resets the connection at once; later ones end it normally.
bool TSocketConnection::MakeSocket(bool linger) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, linger ? IPPROTO_TCP : 0);
  if (s == INVALID_SOCKET)
    return false;
  if (s >= kNoSocket) {
    // The handle would not fit the 16-bit field that callers see.
    closesocket(s);
    return false;
  }
  socketHandle_ = static_cast<std::uint16_t>(s);
  if (linger) {
    const struct linger option { 1, 0 };
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
  }
  RegisterNotifications(s);
  return true;
}

void TSocketConnection::RegisterNotifications(std::uintptr_t s) {
  WSAAsyncSelect(static_cast<SOCKET>(s), notifyWindow_.get(), kSocketMessage, kNotifyMask);
}

std::uintptr_t TSocketConnection::Sock() const {
  return socketHandle_ == kNoSocket ? INVALID_SOCKET : static_cast<SOCKET>(socketHandle_);
}

void TSocketConnection::ReportStatus(std::uint8_t level, const std::string& text) {
  if (level > ReportLevel)
    return;
  try {
    statusText_ = text;
    if (!destroying_ && OnStatus)
      OnStatus(*this, statusText_);
  } catch (...) {
    // A status display must not break the operation it reports on.
  }
}

void TSocketConnection::ErrorText(std::uint16_t code, std::string& text) {
  ReportStatus(8, "Fehlermeldung wird gelesen" + text);
  text = net::WinsockErrorText(code);
}

void TSocketConnection::CheckSocketError(std::uint16_t ignoredCode, std::string& text) {
  lastErrorCode_ = WSAGetLastError();
  if (lastErrorCode_ != ignoredCode && lastErrorCode_ > 10000) {
    text.clear();
    ErrorText(static_cast<std::uint16_t>(lastErrorCode_), text);
    if (OnSocketError)
      OnSocketError(*this, static_cast<std::uint16_t>(lastErrorCode_), text);
    throw ESockError(text);
  }
  text.clear();
}

void TSocketConnection::AwaitMessages(bool block) {
  base::WaitFor(block ? base::MonotonicMs() + kSafetyPollMs : 0);
}

void TSocketConnection::WaitUntil(const std::function<bool()>& done) {
  for (;;) {
    AwaitMessages(false);
    if (done())
      return;
    AwaitMessages(true);
    if (done())
      return;
  }
}

void TSocketConnection::ResolveHost() {
  ReportStatus(8, "Auf Host zurückschreiben");
  const std::string& name = Proxy.empty() ? Host : Proxy;
  const std::size_t length = std::min(name.size(), kBufferSize);
  std::memcpy(Buffer(), name.data(), length);
  Buffer()[length] = '\0';

  const unsigned long dotted = inet_addr(Buffer());
  if (dotted != INADDR_NONE) {
    remoteAddress_.Address = dotted;
    return;
  }
  remoteAddress_.Address = 0;
  StartTimeout();
  waitDone_ = false;
  lookupTask_ =
      WSAAsyncGetHostByName(notifyWindow_.get(), kHostMessage, Buffer(), hostEntryBuffer_.data(),
                            static_cast<int>(hostEntryBuffer_.size()));
  if (lookupTask_ == nullptr) {
    // No reply will come; waiting for one would never end.
    lastEventOK_ = false;
    waitDone_ = true;
  }
  try {
    WaitUntil([this] { return waitDone_ || timedOut_ || cancelled_; });
  } catch (...) {
    StopTimeout();
    throw;
  }
  StopTimeout();
  if (!waitDone_ || timedOut_ || cancelled_) {
    // The look-up goes on by itself; stop it writing into the entry buffer later.
    if (lookupTask_ != nullptr)
      WSACancelAsyncRequest(lookupTask_);
  }
  lookupTask_ = nullptr;
  if (timedOut_)
    throw ESockError("Zeitüberschreitung bei Host-Lookup");
  if (cancelled_)
    throw ESockError("Host-Lookup abgebrochen");
  if (!lastEventOK_)
    throw ELookupFailed();
  const auto* entry = reinterpret_cast<const hostent*>(hostEntryBuffer_.data());
  if (entry->h_addr_list != nullptr && entry->h_addr_list[0] != nullptr)
    std::memcpy(&remoteAddress_.Address, entry->h_addr_list[0], 4);
  if (OnHostResolved)
    OnHostResolved(*this);
}

void TSocketConnection::Connect() {
  ReportStatus(8, "Herstellen der Verbindung");
  cancelled_ = false;
  if (connected_)
    throw ESockError("Bereits verbunden");
  int repairs = 0;
  for (;;) {
    try {
      ResolveHost();
    } catch (const ELookupFailed&) {
      // No address: handled below like a host that resolves to nothing.
    }
    if (remoteAddress_.Address != 0)
      break;
    if (repairs > 0 || !OnInvalidHost)
      throw ESockError("Null Externe Adresse");
    bool handled = false;
    OnInvalidHost(handled);
    if (!handled)
      throw ESockError("Null Externe Adresse");
    ++repairs;
  }
  remoteAddress_.Family = AF_INET;
  remoteAddress_.Port = htons(static_cast<u_short>((Proxy.empty() ? Port : ProxyPort) & 0xFFFF));

  waitDone_ = false;
  lastEventOK_ = true;
  connectNotified_ = false;
  if (socketHandle_ == kNoSocket)
    MakeSocket(false); // the fresh socket after the last close could not be made then
  std::string text;
  if (connect(Sock(), reinterpret_cast<const sockaddr*>(&remoteAddress_), sizeof remoteAddress_) ==
      SOCKET_ERROR)
    CheckSocketError(WSAEWOULDBLOCK, text);

  StartTimeout();
  try {
    // A peer that accepts and closes at once sends the close notification right behind the
    // connect notification; handled in one round, the close clears Connected again. The wait
    // must end on the connect notification itself, or it would never end.
    WaitUntil([this] {
      return connected_ || connectNotified_ || timedOut_ || cancelled_ || !lastEventOK_;
    });
  } catch (...) {
    StopTimeout();
    throw;
  }
  StopTimeout();
  if (!timedOut_ && !cancelled_ && lastEventOK_)
    return;
  if (OnConnectionFailed)
    OnConnectionFailed(*this);
  if (timedOut_)
    throw ESockError("Zeitüberschreitung bei Verbindung");
  if (cancelled_)
    throw ESockError("Verbindung abgebrochen");
  throw ESockError("Verbindung fehlgeschlagen");
}

void TSocketConnection::CloseSocket() {
  ReportStatus(4, "Schließen des Socket anfordern");
  connected_ = false;
  if (socketHandle_ == kNoSocket)
    return;
  if (closesocket(Sock()) == SOCKET_ERROR) {
    std::string text;
    CheckSocketError(WSAEWOULDBLOCK, text);
    return;
  }
  socketHandle_ = kNoSocket;
  // Notifications of the closed socket may still wait in the queue. The fresh socket is likely
  // to get the same handle, and a stale close notification would then close it.
  DropQueuedNotifications();
  if (!destroying_ && OnDisconnect)
    OnDisconnect(*this);
  if (!destroying_)
    MakeSocket(false);
}

void TSocketConnection::DropQueuedNotifications() {
  if (!notifyWindow_.get())
    return;
  MSG msg;
  while (PeekMessageW(&msg, notifyWindow_.get(), kSocketMessage, kSocketMessage, PM_REMOVE)) {
    // A filtered PeekMessage hands out WM_QUIT all the same; it belongs to the main loop.
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}

void TSocketConnection::Disconnect() {
  ReportStatus(8, "Verbindung wird abgebrochen");
  CloseSocket();
}

void TSocketConnection::Cancel() {
  ReportStatus(8, "Beim Abbrechen");
  cancelled_ = true;
}

void TSocketConnection::Abort() {
  ReportStatus(8, "Abbrechen");
  Cancel();
}

void TSocketConnection::StartTimeout() {
  ReportStatus(8, "Zeitgeber An");
  timedOut_ = false;
  if (TimeOut < 0)
    throw ERangeError();
  timer_->SetInterval(static_cast<unsigned>(TimeOut));
  timer_->SetEnabled(true);
}

void TSocketConnection::RestartTimeout() {
  // A piece has arrived: the countdown starts again, so the time-out bounds a peer that has gone
  // silent, not a long transfer that is still flowing.
  if (timer_)
    timer_->SetEnabled(false);
  StartTimeout();
}

void TSocketConnection::StopTimeout() {
  ReportStatus(8, "Zeitgeber Aus");
  if (timer_)
    timer_->SetEnabled(false);
}

void TSocketConnection::TimeoutElapsed(TThreadTimer&) {
  ReportStatus(8, "Zeitgeber ausgelöst");
  StopTimeout();
  timedOut_ = true;
  waitDone_ = true;
  Abort();
}

void TSocketConnection::HandleSocketMessage(UINT message, WPARAM, LPARAM lParam) {
  try {
    lastEventOK_ = WSAGETSELECTERROR(lParam) == 0;
    if (message == kSocketMessage) {
      switch (WSAGETSELECTEVENT(lParam)) {
      case FD_READ:
        if (OnDataAvailable)
          OnDataAvailable(*this);
        break;
      case FD_ACCEPT:
        connected_ = true;
        if (OnAccept)
          OnAccept(*this);
        break;
      case FD_CONNECT:
        connectNotified_ = true;
        if (lastEventOK_) {
          connected_ = true;
          if (OnConnect)
            OnConnect(*this);
        }
        break;
      case FD_CLOSE:
        // While unread data waits, the readers see the end of the data themselves.
        if (!DataAvailable())
          CloseSocket();
        break;
      default:
        break;
      }
    } else if (message == kHostMessage) {
      waitDone_ = true;
    }
  } catch (...) {
    // Notifications arrive from the message loop; there is no caller to hand a failure to.
  }
}

LRESULT CALLBACK TSocketConnection::NotifyWindowProc(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
  auto* self = static_cast<TSocketConnection*>(net::HiddenWindowObject(window));
  // Only the two messages of the socket library: other messages in the user range (broadcasts
  // to top-level windows among them) must not be taken for socket events.
  if (self != nullptr && (message == kSocketMessage || message == kHostMessage)) {
    self->HandleSocketMessage(message, wParam, lParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
