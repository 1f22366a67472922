#pragma once
// A scripted TCP peer on 127.0.0.1, run on a thread of the test program with blocking sockets.
// Each accepted connection runs the next script; what the scripts read is kept for the test.
#include <winsock.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class PeerConnection {
public:
  explicit PeerConnection(SOCKET s) : s_(s) {}

  // Reads until the text holds marker (or the client closes); returns everything read.
  std::string ReadUntil(std::string_view marker);
  // Reads exactly count bytes (fewer when the client closes first).
  std::string ReadCount(std::size_t count);
  // Reads until the client closes.
  std::string ReadToEnd();
  void Send(std::string_view bytes);
  void Pause(int ms);

  std::string received;

private:
  // One recv of at most `most` bytes into received; its result.
  int Receive(std::size_t most);

  SOCKET s_;
};

class ScriptedPeer {
public:
  using Script = std::function<void(PeerConnection&)>;

  explicit ScriptedPeer(std::vector<Script> scripts);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  unsigned short Port() const { return port_; }
  // Waits for the scripts to end; returns what each connection read.
  std::vector<std::string> Finish();

private:
  void Run();

  std::vector<Script> scripts_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::thread thread_;
  std::vector<std::string> received_; // read by the test only once the thread has ended
};

// Binds s to a free port on 127.0.0.1 and listens on it; the port.
unsigned short ListenOnLoopback(SOCKET s);
// A port on 127.0.0.1 on which nothing listens.
unsigned short UnusedPort();
