// TSocketConnection: moving data over an established connection.
#include "net/netfile.h"
#include "net/sockconn.h"

#include "base/handles.h"

#include <winsock.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int kNotConnected = WSAENOTCONN;

// The counters are 32-bit; a transfer beyond 2 GiB stops them at the top instead of wrapping.
void AddSaturating(std::int32_t& counter, std::int64_t amount) {
  const std::int64_t sum = static_cast<std::int64_t>(counter) + amount;
  counter = static_cast<std::int32_t>(
      std::min<std::int64_t>(sum, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

void TSocketConnection::SendBuffer(const char* data, std::size_t length) {
  ReportStatus(4, "Puffer senden");
  StartTimeout();
  base::ScopeExit stop{[this] { StopTimeout(); }}; // however the operation ends
  if (!cancelled_) {
    if (length == 0)
      length = std::strlen(data);
    if (length > 65535)
      throw ERangeError();
    std::size_t sent = 0;
    std::string text;
    while (sent < length && !cancelled_) {
      const int result = send(Sock(), data + sent, static_cast<int>(length - sent), 0);
      if (result == 0)
        break;
      if (result > 0) {
        sent += static_cast<std::size_t>(result);
      } else {
        CheckSocketError(WSAEWOULDBLOCK, text);
        // The peer does not take more now: wait for the socket to become writable (or for a
        // cancel or the time-out) instead of retrying in a tight loop.
        AwaitMessages(true);
      }
    }
  }
  if (cancelled_) {
    cancelled_ = false;
    throw EAbortError("Socket-send abgebrochen");
  }
}

void TSocketConnection::Write(const std::string& text) {
  ReportStatus(8, "Schreiben");
  const std::size_t length = std::min(text.size(), kBufferSize);
  std::memcpy(Buffer(), text.data(), length);
  Buffer()[length] = '\0';
  SendBuffer(Buffer(), 0);
}

void TSocketConnection::Writeln(const std::string& text) {
  ReportStatus(8, "Writeln");
  Write(text + "\r\n");
}

std::string TSocketConnection::ReadLn() {
  bool tooLong = false;
  std::string line = ReadLine(kBufferSize, tooLong);
  if (tooLong)
    throw ESockError("Empfangene Zeile ist länger als 65536 Bytes");
  return line;
}

std::string TSocketConnection::ReadLine(std::size_t maxLength, bool& tooLong) {
  ReportStatus(8, "ReadLn");
  tooLong = false;
  maxLength = std::min(maxLength, kBufferSize);
  std::string line;
  std::size_t consumed = 0;
  StartTimeout();
  base::ScopeExit stop{[this] { StopTimeout(); }}; // however the operation ends
  // The work buffer mirrors the whole line read so far; the part before `consumed` has been
  // taken from the socket and holds no line feed. The peek starts small and grows while no line
  // feed turns up: peeking the whole buffer for every short line would cost as much as the data
  // already waiting, again and again, for every line of a long header block.
  std::size_t lineFeed = std::string::npos;
  bool peerClosed = false;
  std::size_t peekSize = 256;
  std::string text;
  do {
    const std::size_t room = std::min(maxLength - consumed, peekSize);
    if (room == 0) {
      tooLong = true;
      return {};
    }
    const int peeked = recv(Sock(), Buffer() + consumed, static_cast<int>(room), MSG_PEEK);
    bool wouldBlock = false;
    if (peeked == 0) {
      peerClosed = true;
      break;
    }
    if (peeked > 0) {
      const char* begin = Buffer() + consumed;
      const char* end = begin + peeked;
      const char* lf = std::find(begin, end, '\n');
      if (lf != end) {
        lineFeed = static_cast<std::size_t>(lf - Buffer());
        break;
      }
      line.resize(consumed + static_cast<std::size_t>(peeked));
      const int got = recv(Sock(), line.data() + consumed, peeked, 0);
      if (got > 0)
        consumed += static_cast<std::size_t>(got);
      line.resize(consumed);
      peekSize = std::min(peekSize * 2, kBufferSize);
    } else {
      if (!ReceiveWouldBlock(text))
        break;
      wouldBlock = true;
    }
    AwaitMessages(wouldBlock);
  } while (!cancelled_);

  if (peerClosed)
    return {};
  if (cancelled_) {
    cancelled_ = false;
    throw EAbortError("Socket-readln abgebrochen");
  }
  if (lineFeed == std::string::npos)
    return {}; // not connected: no line to finish
  line.resize(lineFeed + 1);
  while (consumed < line.size()) {
    const int got =
        recv(Sock(), line.data() + consumed, static_cast<int>(line.size() - consumed), 0);
    if (got <= 0) {
      CheckSocketError(WSAEWOULDBLOCK, text);
      AwaitMessages(true);
      continue;
    }
    consumed += static_cast<std::size_t>(got);
  }
  return line;
}

std::string TSocketConnection::Transaction(const std::string& command) {
  ReportStatus(8, "Transaktion");
  replyCode_ = 0;
  Writeln(command);
  lastReply_ = ReadLn();
  if (!lastReply_.empty()) {
    ReportStatus(1, lastReply_);
    std::int64_t value = 0;
    std::size_t digits = 0;
    while (digits < std::min<std::size_t>(10, lastReply_.size()) && lastReply_[digits] >= '0' &&
           lastReply_[digits] <= '9')
      value = value * 10 + (lastReply_[digits++] - '0');
    if (digits > 0) {
      if (value > std::numeric_limits<std::int16_t>::max())
        throw ERangeError();
      replyCode_ = static_cast<std::int16_t>(value);
    }
  }
  return lastReply_;
}

bool TSocketConnection::ReceiveWouldBlock(std::string& text) {
  lastErrorCode_ = WSAGetLastError();
  if (lastErrorCode_ == kNotConnected)
    return false;
  CheckSocketError(WSAEWOULDBLOCK, text);
  return true;
}

void TSocketConnection::CaptureLoop(const std::function<void(const char*, std::size_t)>& take,
                                    const std::function<bool()>& more) {
  std::string text;
  while (!cancelled_ && more()) {
    const int got = recv(Sock(), Buffer(), static_cast<int>(kBufferSize), 0);
    bool wouldBlock = false;
    if (got > 0) {
      take(Buffer(), static_cast<std::size_t>(got));
      AddSaturating(receivedBytes_, got);
      if (OnPacketRecvd)
        OnPacketRecvd(*this);
      RestartTimeout();
    } else if (got == 0) {
      break;
    } else {
      if (!ReceiveWouldBlock(text))
        break;
      wouldBlock = true;
    }
    AwaitMessages(wouldBlock);
  }
}

void TSocketConnection::CaptureFile(const std::string& path) {
  CaptureFileUpTo(path, -1);
}

bool TSocketConnection::CaptureFileUpTo(const std::string& path, std::int64_t limit) {
  ReportStatus(8, "Datei erfassen");
  receivedBytes_ = 0;
  StartTimeout();
  base::ScopeExit stop{[this] { StopTimeout(); }}; // however the operation ends
  net::NetFile file = net::NetFile::Create(path);
  CaptureLoop([&](const char* data, std::size_t n) { file.Write(data, n); },
              [&] { return limit < 0 || receivedBytes_ <= limit; });
  file.Close();
  if (cancelled_) {
    cancelled_ = false;
    throw EAbortError("Socket-send abgebrochen");
  }
  return limit >= 0 && receivedBytes_ > limit;
}

void TSocketConnection::CaptureString(std::string& captured, std::int32_t maximum) {
  ReportStatus(8, "String erfassen");
  receivedBytes_ = 0;
  StartTimeout();
  base::ScopeExit stop{[this] { StopTimeout(); }}; // however the operation ends
  captured.clear();
  CaptureLoop(
      [&](const char* data, std::size_t n) { captured.append(data, n); },
      [&] { return maximum == -1 || static_cast<std::int64_t>(captured.size()) < maximum; });
  if (cancelled_) {
    cancelled_ = false;
    throw EAbortError("Socket-Capture abgebrochen");
  }
}

void TSocketConnection::SendFile(const std::string& path) {
  ReportStatus(8, "SendFile");
  net::NetFile file = net::NetFile::OpenRead(path);
  const std::uint64_t size = file.Size();
  std::string text;
  while (file.Position() < size && !cancelled_) {
    const std::size_t got = file.Read(Buffer(), kBufferSize);
    if (got == 0)
      break; // the file shrank while being sent
    std::size_t sent = 0;
    while (sent < got && !cancelled_) {
      const int result = send(Sock(), Buffer() + sent, static_cast<int>(got - sent), 0);
      bool wouldBlock = false;
      if (result > 0) {
        sent += static_cast<std::size_t>(result);
        AddSaturating(sentBytes_, result);
        if (OnPacketSent)
          OnPacketSent(*this);
      } else if (result == 0) {
        break;
      } else {
        CheckSocketError(WSAEWOULDBLOCK, text);
        wouldBlock = true;
      }
      AwaitMessages(wouldBlock);
    }
  }
  file.Close();
  if (cancelled_) {
    cancelled_ = false;
    throw EAbortError("Socket-send abgebrochen");
  }
}

bool TSocketConnection::DataAvailable() {
  ReportStatus(8, "Daten verfügbar");
  // Peeked into a byte of its own: this runs from the close notification, possibly in the middle
  // of a ReadLn whose line the work buffer mirrors.
  char byte = 0;
  return recv(Sock(), &byte, 1, MSG_PEEK) > 0;
}

std::uint16_t TSocketConnection::Accept() {
  ReportStatus(4, "Annahme");
  WaitUntil([this] { return waitDone_ || cancelled_; });
  if (cancelled_)
    throw ESockError("Annahme abgebrochen");
  if (!lastEventOK_)
    throw ESockError("Fehler beim Herstellen der Datenverbindung");
  sockaddr_in peer{};
  int peerLength = sizeof peer;
  const SOCKET accepted = accept(Sock(), reinterpret_cast<sockaddr*>(&peer), &peerLength);
  if (accepted == INVALID_SOCKET) {
    std::string text;
    CheckSocketError(WSAEWOULDBLOCK, text);
  }
  if (accepted >= kNoSocket) {
    if (accepted != INVALID_SOCKET)
      closesocket(accepted);
    throw ERangeError();
  }
  RegisterNotifications(accepted);
  remoteAddress_ = PeerAddress{};
  remoteAddress_.Family = peer.sin_family;
  remoteAddress_.Port = peer.sin_port;
  remoteAddress_.Address = peer.sin_addr.s_addr;
  if (cancelled_) {
    cancelled_ = false;
    throw EAbortError("Socket-send abgebrochen");
  }
  return static_cast<std::uint16_t>(accepted);
}
