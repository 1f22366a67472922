#include "scriptedpeer.h"

#include <chrono>
#include <stdexcept>

namespace {

// Keeps the socket library started for the peer, whatever the connection objects do.
struct PeerLibrary {
  PeerLibrary() {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
  }
  ~PeerLibrary() { WSACleanup(); }
};

// A test whose client never comes must not hang the peer for ever.
constexpr int kPeerWaitMs = 30000;

} // namespace

unsigned short ListenOnLoopback(SOCKET s) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(s, 8) != 0)
    throw std::runtime_error("peer: cannot listen");
  int length = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length);
  return ntohs(addr.sin_port);
}

int PeerConnection::Receive(std::size_t most) {
  char buf[65536];
  const int n = recv(s_, buf, static_cast<int>(std::min(sizeof buf, most)), 0);
  if (n > 0)
    received.append(buf, static_cast<std::size_t>(n));
  return n;
}

std::string PeerConnection::ReadUntil(std::string_view marker) {
  const std::size_t start = received.size();
  while (received.find(marker, start) == std::string::npos && Receive(65536) > 0) {
  }
  return received.substr(start);
}

std::string PeerConnection::ReadCount(std::size_t count) {
  const std::size_t start = received.size();
  while (received.size() - start < count && Receive(count - (received.size() - start)) > 0) {
  }
  return received.substr(start);
}

std::string PeerConnection::ReadToEnd() {
  const std::size_t start = received.size();
  while (Receive(65536) > 0) {
  }
  return received.substr(start);
}

void PeerConnection::Send(std::string_view bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int n = send(s_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0)
      return;
    sent += static_cast<std::size_t>(n);
  }
}

void PeerConnection::Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

ScriptedPeer::ScriptedPeer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
  static PeerLibrary library;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  port_ = ListenOnLoopback(listener_);
  thread_ = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer() {
  Finish();
}

void ScriptedPeer::Run() {
  for (Script& script : scripts_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait{kPeerWaitMs / 1000, 0};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
      break;
    const SOCKET s = accept(listener_, nullptr, nullptr);
    if (s == INVALID_SOCKET)
      break;
    const DWORD silence = kPeerWaitMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&silence), sizeof silence);
    PeerConnection connection(s);
    script(connection);
    closesocket(s);
    received_.push_back(connection.received);
  }
}

std::vector<std::string> ScriptedPeer::Finish() {
  if (thread_.joinable())
    thread_.join();
  if (listener_ != INVALID_SOCKET) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
  }
  return received_;
}

unsigned short UnusedPort() {
  static PeerLibrary library;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const unsigned short port = ListenOnLoopback(s);
  closesocket(s);
  return port;
}
