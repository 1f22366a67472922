#pragma once
// TSocketConnection: a TCP client connection on the GUI thread whose operations look blocking to
// the caller. Underneath it drives one non-blocking WinSock 1.1 socket whose events arrive as
// window messages at a hidden window; every wait keeps the program's window messages flowing.
//
// What the program runs of it, through the HTTP client's Get: Connect, Write, Writeln, ReadLn,
// CaptureFile, Disconnect and Abort with the time-out. Accept, SendFile, CaptureString and
// Transaction are the component's full surface: kept whole and tested, on no path of the program.
#include "base/handles.h"
#include "net/neterrors.h"
#include "net/threadtimer.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The address of the other end as the socket library takes it (same layout as sockaddr_in).
struct PeerAddress {
  std::uint16_t Family = 0;  // 2: internet
  std::uint16_t Port = 0;    // network byte order
  std::uint32_t Address = 0; // IPv4, network byte order
  std::uint8_t Zero[8] = {};
};
static_assert(sizeof(PeerAddress) == 16);

class TSocketConnection {
public:
  using TNotifyEvent = std::function<void(TSocketConnection& sender)>;
  using THandlerEvent = std::function<void(bool& handled)>;
  using TOnStatus = std::function<void(TSocketConnection& sender, const std::string& status)>;
  using TOnSocketError =
      std::function<void(TSocketConnection& sender, std::uint16_t code, const std::string& text)>;

  // Socket notifications and the reply of a host look-up, as window messages.
  static constexpr UINT kSocketMessage = WM_USER + 101;
  static constexpr UINT kHostMessage = WM_USER + 102;
  static constexpr std::uint16_t kNoSocket = 65535;
  static constexpr std::size_t kBufferSize = 65536;

  // Starts the socket library (first object) and makes an unconnected socket. Raises ESockError
  // "Die Initialisierung der Windows-Sockets ist fehlgeschlagen".
  TSocketConnection();
  virtual ~TSocketConnection();
  TSocketConnection(const TSocketConnection&) = delete;
  TSocketConnection& operator=(const TSocketConnection&) = delete;

  // Settings.
  std::string Host;         // host name or dotted IPv4 address
  std::int32_t Port = 0;    // low 16 bits used
  std::int32_t TimeOut = 0; // milliseconds per wait; 0: waits are unbounded
  std::int32_t ReportLevel = 0;
  std::string Proxy; // empty: connect directly
  std::int32_t ProxyPort = 0;

  // Events. Those fired from a socket notification or a status report may not raise (what they
  // raise is dropped); those fired directly by an operation pass their exceptions on. What a
  // handler uses must outlive the object: its destruction still reports "Löschen" to OnStatus.
  TNotifyEvent OnConnect, OnDisconnect, OnConnectionFailed, OnHostResolved;
  TNotifyEvent OnDataAvailable, OnAccept;
  TNotifyEvent OnPacketRecvd, OnPacketSent; // once per received / sent piece
  THandlerEvent OnInvalidHost; // the host gave no address; may repair Host and set handled
  TOnStatus OnStatus;
  TOnSocketError OnSocketError;

  // Connection. Connect returns with Connected() set or raises.
  virtual void Connect();
  virtual void Disconnect();
  virtual void Abort();
  void Cancel();
  virtual std::uint16_t Accept();

  // Data transfer over the connection.
  void SendBuffer(const char* data, std::size_t length); // length 0: up to the first zero byte
  void Write(const std::string& text);                   // sent up to its first zero byte
  void Writeln(const std::string& text);
  std::string ReadLn(); // one line with its LF (and CR); empty when the peer has closed
  void SendFile(const std::string& path);
  void CaptureFile(const std::string& path);                   // until the peer closes
  void CaptureString(std::string& text, std::int32_t maximum); // maximum -1: no limit
  bool DataAvailable();
  virtual std::string Transaction(const std::string& command);

  // The text for a WinSock error code: "10061:Connection refused"; empty for 0.
  void ErrorText(std::uint16_t code, std::string& text);

  // State.
  bool Connected() const { return connected_; }
  std::int32_t ReceivedBytes() const { return receivedBytes_; }
  std::int32_t ExpectedBytes() const { return expectedBytes_; }
  std::int16_t ReplyCode() const { return replyCode_; }
  std::int32_t SentBytes() const { return sentBytes_; }
  std::int32_t LastErrorCode() const { return lastErrorCode_; }
  const std::string& StatusText() const { return statusText_; }
  const std::string& LastReply() const { return lastReply_; }
  std::uint16_t SocketHandle() const { return socketHandle_; }
  const std::vector<std::string>& WinsockInfo() const { return winsockInfo_; }
  const PeerAddress& RemoteAddress() const { return remoteAddress_; }
  bool Cancelled() const { return cancelled_; }
  bool TimedOut() const { return timedOut_; }

protected:
  void ReportStatus(std::uint8_t level, const std::string& text);
  void CheckSocketError(std::uint16_t ignoredCode, std::string& text);
  void ResolveHost();
  void StartTimeout();
  void StopTimeout();
  void RestartTimeout();
  // ReadLn for a line of at most maxLength bytes with its line feed (and no more than the work
  // buffer holds). A longer line sets tooLong and returns an empty text, leaving the rest of the
  // line unread.
  std::string ReadLine(std::size_t maxLength, bool& tooLong);
  // After a receive that failed: false when the connection is gone, true when the caller should
  // wait for the next message (would block); any other error raises.
  bool ReceiveWouldBlock(std::string& text);
  // Receives until the peer closes, a cancel or time-out, or more() says enough; each piece goes
  // to take() and is counted and reported.
  void CaptureLoop(const std::function<void(const char*, std::size_t)>& take,
                   const std::function<bool()>& more);
  // CaptureFile that also ends, without an exception, once more than limit bytes have arrived
  // (limit -1: none); true then.
  bool CaptureFileUpTo(const std::string& path, std::int64_t limit);
  void TimeoutElapsed(TThreadTimer& sender);
  void InitSockets();
  void CloseSocket();
  void HandleSocketMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void SetWaitDone() { waitDone_ = true; }
  void SetExpectedBytes(std::int32_t bytes) { expectedBytes_ = bytes; }
  void SetReplyCode(std::int16_t code) { replyCode_ = code; }

private:
  static LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // One round of waiting: optionally block until a message arrives, then handle what is queued.
  void AwaitMessages(bool block);
  // Handles messages, blocking between rounds, until done() holds.
  void WaitUntil(const std::function<bool()>& done);
  bool MakeSocket(bool linger);
  void RegisterNotifications(std::uintptr_t socket);
  void DropQueuedNotifications();
  std::uintptr_t Sock() const;
  char* Buffer() { return dataBuffer_.data(); }

  std::vector<char> dataBuffer_ = std::vector<char>(kBufferSize + 1);
  std::vector<std::string> winsockInfo_;
  std::int32_t sentBytes_ = 0;
  bool cancelled_ = false;
  bool destroying_ = false;
  std::int32_t lastErrorCode_ = 0;
  std::string statusText_;
  std::unique_ptr<TThreadTimer> timer_;
  bool lastEventOK_ = true;
  bool timedOut_ = false;
  std::int32_t expectedBytes_ = 0;
  std::int32_t receivedBytes_ = 0;
  bool waitDone_ = false;
  PeerAddress remoteAddress_;
  std::vector<char> hostEntryBuffer_ = std::vector<char>(1024);
  HANDLE lookupTask_ = nullptr;
  std::string lastReply_;
  std::int16_t replyCode_ = 0;
  std::uint16_t socketHandle_ = kNoSocket;
  base::UniqueWindow notifyWindow_;
  bool connected_ = false;
  bool connectNotified_ = false; // the connect notification arrived, whatever came after it
  bool startedLibrary_ = false;
};
