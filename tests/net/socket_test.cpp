// TSocketConnection against a scripted peer on 127.0.0.1: connecting, closing, status and error
// texts, reading lines, capturing, sending, time-out and cancel.
#include "base/messageloop.h"
#include "net/sockconn.h"
#include "scriptedpeer.h"
#include "support/testdata.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

using namespace testsupport;

// Reaches the parts a descendant would use.
class TestConnection : public TSocketConnection {
public:
  using TSocketConnection::SetWaitDone;
};

void ConnectTo(TSocketConnection& c, unsigned short port, const std::string& host = "127.0.0.1") {
  c.Host = host;
  c.Port = port;
  c.Connect();
}

// Keeps a connection until the client closes it.
void HoldOpen(PeerConnection& p) {
  p.ReadToEnd();
}

// Reads count bytes, then says so. The client's first socket resets the connection when closed,
// which may drop what it sent last, so a sender waits for this before it closes.
void Acknowledge(PeerConnection& p, std::size_t count) {
  p.ReadCount(count);
  p.Send("ok\n");
}

// Runs f once after ms milliseconds, through the window system, as long as it lives.
class Later {
public:
  Later(unsigned ms, std::function<void()> f) {
    timer_.SetEnabled(false);
    timer_.SetInterval(ms);
    timer_.SetOnTimer([f](TThreadTimer& t) {
      t.SetEnabled(false);
      f();
    });
    timer_.SetEnabled(true);
  }

private:
  TThreadTimer timer_;
};

TEST(SocketConnect, NamesAreLookedUpDottedAddressesAndTheProxyNot) {
  ScriptedPeer peer({HoldOpen, HoldOpen, HoldOpen});
  TSocketConnection c;
  int resolved = 0, connects = 0, disconnects = 0;
  c.OnHostResolved = [&](TSocketConnection&) { ++resolved; };
  c.OnConnect = [&](TSocketConnection&) { ++connects; };
  c.OnDisconnect = [&](TSocketConnection&) { ++disconnects; };
  ConnectTo(c, peer.Port());
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(resolved, 0);
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(MessageOf([&] { c.Connect(); }), "Bereits verbunden");
  c.Disconnect();
  EXPECT_FALSE(c.Connected());
  EXPECT_EQ(disconnects, 1);

  ConnectTo(c, peer.Port(), "localhost");
  EXPECT_EQ(resolved, 1);
  EXPECT_EQ(c.RemoteAddress().Address, inet_addr("127.0.0.1"));
  c.Disconnect();

  c.Proxy = "127.0.0.1";
  c.ProxyPort = peer.Port();
  ConnectTo(c, 1, "no such host"); // neither looked up nor used
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(resolved, 1);
}

// A refused connection and a negative time-out raise; the object connects afterwards all the same.
TEST(SocketConnect, FailuresLeaveTheObjectUsable) {
  ScriptedPeer peer({HoldOpen});
  TSocketConnection c;
  int failures = 0;
  c.OnConnectionFailed = [&](TSocketConnection&) { ++failures; };
  EXPECT_EQ(MessageOf([&] { ConnectTo(c, UnusedPort()); }), "Verbindung fehlgeschlagen");
  EXPECT_EQ(failures, 1);
  EXPECT_FALSE(c.Connected());
  c.Disconnect();
  c.TimeOut = -1;
  EXPECT_EQ(MessageOf([&] { ConnectTo(c, peer.Port()); }), "Fehler bei Bereichsprüfung");
  c.TimeOut = 0;
  c.Disconnect(); // the connection may have come up regardless; start clean
  ConnectTo(c, peer.Port());
  EXPECT_TRUE(c.Connected());
}

TEST(SocketConnect, HostWithoutAddressGetsOneChanceToBeRepaired) {
  ScriptedPeer peer({HoldOpen});
  TSocketConnection c;
  c.Port = peer.Port();
  // Not a valid host name: the look-up fails without asking a name server.
  for (const char* host : {"no such host", "0.0.0.0"}) {
    c.Host = host;
    EXPECT_EQ(MessageOf([&] { c.Connect(); }), "Null Externe Adresse") << host;
  }
  int calls = 0;
  std::string repair = "still no such host";
  c.OnInvalidHost = [&](bool& handled) {
    ++calls;
    c.Host = repair;
    handled = true;
  };
  c.Host = "no such host";
  EXPECT_EQ(MessageOf([&] { c.Connect(); }), "Null Externe Adresse");
  EXPECT_EQ(calls, 1);
  repair = "127.0.0.1";
  c.Host = "no such host";
  c.Connect();
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(calls, 2);
}

TEST(SocketStatus, TextsAreReportedUpToTheLevel) {
  ScriptedPeer peer({HoldOpen, HoldOpen});
  std::vector<std::string> seen; // outlives c, whose destruction still reports "Löschen"
  TSocketConnection c;
  ASSERT_EQ(c.WinsockInfo().size(), 6u);
  EXPECT_EQ(c.WinsockInfo()[0], "Version= 1.1");
  c.OnStatus = [&](TSocketConnection&, const std::string& s) { seen.push_back(s); };
  ConnectTo(c, peer.Port()); // level 0: nothing
  EXPECT_TRUE(seen.empty());

  c.ReportLevel = 4;
  c.Write("x");
  EXPECT_EQ(seen, std::vector<std::string>{"Puffer senden"}); // "Schreiben" is level 8
  c.Disconnect();
  EXPECT_EQ(seen.back(), "Schließen des Socket anfordern");

  c.ReportLevel = 8;
  seen.clear();
  ConnectTo(c, peer.Port());
  EXPECT_EQ(seen, (std::vector<std::string>{"Herstellen der Verbindung", "Auf Host zurückschreiben",
                                            "Zeitgeber An", "Zeitgeber Aus"}));
  EXPECT_EQ(c.StatusText(), "Zeitgeber Aus");

  // The error texts: code and message, a line for an unknown code, nothing for no error.
  std::string text = "vorher";
  c.ErrorText(10060, text);
  EXPECT_EQ(text, "10060:Connection timed out");
  EXPECT_EQ(seen.back(), "Fehlermeldung wird gelesenvorher");
  c.ErrorText(12345, text);
  EXPECT_EQ(text, "Unbekannte Fehlernummer 12345");
  c.ErrorText(0, text);
  EXPECT_EQ(text, "");
}

linger LingerOf(std::uint16_t socket) {
  linger option{7, 7};
  int length = sizeof option;
  getsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&option), &length);
  return option;
}

// The first socket of an object is closed with a reset, later ones end normally. (Wine ends both
// normally whatever the option says, so the option itself is what can be checked here.)
TEST(SocketClose, FirstSocketLingersZeroLaterOnesDoNot) {
  ScriptedPeer peer({HoldOpen});
  TSocketConnection c;
  EXPECT_EQ(LingerOf(c.SocketHandle()).l_onoff, 1);
  EXPECT_EQ(LingerOf(c.SocketHandle()).l_linger, 0);
  ConnectTo(c, peer.Port());
  c.Write("1");
  c.Disconnect();
  EXPECT_EQ(LingerOf(c.SocketHandle()).l_onoff, 0);
  EXPECT_EQ(peer.Finish(), std::vector<std::string>{"1"});
}

TEST(SocketClose, PeerThatClosesAtOnceDoesNotHoldConnectForEver) {
  ScriptedPeer peer({[](PeerConnection&) {}});
  TSocketConnection c;
  // Held right after the connection was started until the peer has accepted and closed, the
  // connect and the close notification are put back together, to be handled in one round.
  c.ReportLevel = 8;
  bool held = false;
  c.OnStatus = [&peer, &held](TSocketConnection&, const std::string& status) {
    if (status != "Zeitgeber An" || std::exchange(held, true))
      return; // only the connect's wait
    peer.Finish();
    std::vector<MSG> notifications;
    const auto closeSeen = [&] {
      return std::any_of(notifications.begin(), notifications.end(),
                         [](const MSG& m) { return WSAGETSELECTEVENT(m.lParam) == FD_CLOSE; });
    };
    // A hang guard only: the close comes at once.
    for (const ULONGLONG end = GetTickCount64() + 10000; !closeSeen() && GetTickCount64() < end;) {
      MSG msg;
      if (PeekMessageW(&msg, nullptr, TSocketConnection::kSocketMessage,
                       TSocketConnection::kSocketMessage, PM_REMOVE))
        notifications.push_back(msg);
      else
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
    }
    for (const MSG& m : notifications)
      PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
  };
  int disconnects = 0;
  c.OnDisconnect = [&](TSocketConnection&) { ++disconnects; };
  ConnectTo(c, peer.Port()); // returns: the connection stood, if only for a moment
  EXPECT_FALSE(c.Connected());
  EXPECT_EQ(disconnects, 1);
  EXPECT_EQ(c.ReadLn(), "");
  EXPECT_THROW(c.Write("x"), ESockError); // on the fresh, unconnected socket
}

std::vector<std::string> ReadLines(const std::vector<ScriptedPeer::Script>& scripts, int count) {
  ScriptedPeer peer(scripts);
  TSocketConnection c;
  ConnectTo(c, peer.Port());
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i)
    lines.push_back(c.ReadLn());
  return lines;
}

TEST(ReadLn, LineEndsPiecesTheLongestAndAPartialLastLine) {
  const std::string longest = std::string(65535, 'x') + "\n";
  const struct {
    ScriptedPeer::Script peer;
    std::vector<std::string> lines; // the last one read after the peer closed
  } cases[] = {
      {[](PeerConnection& p) { p.Send("AB\r\nC\n"); }, {"AB\r\n", "C\n", ""}},
      {[](PeerConnection& p) { p.Send("AB\r\nxyz"); }, {"AB\r\n", "", ""}},
      {[](PeerConnection& p) {
         for (const char* piece : {"HEL", "LO", "\r\nNEXT\n", "LAST", "\n"}) {
           p.Send(piece);
           p.Pause(50);
         }
       },
       {"HELLO\r\n", "NEXT\n", "LAST\n", ""}},
      {[&](PeerConnection& p) { p.Send(longest); }, {longest, ""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadLines({c.peer}, static_cast<int>(c.lines.size())), c.lines);
}

// The program quitting while a socket waits: the wait goes on to its line, still handling the
// notifications, and the quit stays pending for the main loop.
TEST(ReadLn, AQuitDuringTheWaitLeavesTheLineAndTheQuitPending) {
  Later quit(50, [] { PostQuitMessage(4); });
  EXPECT_EQ(ReadLines({[](PeerConnection& p) {
                        p.Pause(300);
                        p.Send("SPAET\r\n");
                      }},
                      1),
            (std::vector<std::string>{"SPAET\r\n"}));
  EXPECT_TRUE(base::QuitPending());
  EXPECT_EQ(base::TakeQuit(), 4);
}

TEST(ReadLn, LineLongerThanTheBufferIsRefused) {
  ScriptedPeer peer({[](PeerConnection& p) {
    p.Send(std::string(70000, 'y'));
    p.ReadToEnd();
  }});
  TSocketConnection c;
  ConnectTo(c, peer.Port());
  EXPECT_EQ(MessageOf([&] { c.ReadLn(); }), "Empfangene Zeile ist länger als 65536 Bytes");
}

// The time-out ends a silent wait, and not before its time: a lower bound no load can break.
TEST(ReadLn, TimeOutEndsTheWait) {
  ScriptedPeer peer({HoldOpen});
  TSocketConnection c;
  c.TimeOut = 1000;
  ConnectTo(c, peer.Port());
  const std::uint64_t start = base::MonotonicMs();
  EXPECT_EQ(MessageOf([&] { c.ReadLn(); }), "Socket-readln abgebrochen");
  // The window timer counts in ticks of the system clock (about 16 ms on Windows).
  EXPECT_GE(base::MonotonicMs() - start + 16, 1000u);
  EXPECT_TRUE(c.TimedOut());
  EXPECT_FALSE(c.Cancelled());
}

TEST(ReadLn, AbortEndsTheWait) {
  ScriptedPeer peer({HoldOpen});
  TSocketConnection c;
  ConnectTo(c, peer.Port());
  Later abort(200, [&c] { c.Abort(); });
  EXPECT_EQ(MessageOf([&] { c.ReadLn(); }), "Socket-readln abgebrochen");
  EXPECT_FALSE(c.TimedOut());
  // A cancel that comes before the call ends it after one pass.
  c.Abort();
  EXPECT_THROW(c.ReadLn(), EAbortError);
}

TEST(Capture, FileOf100000BytesOneEventPerPiece) {
  const std::string data = Pattern(100000);
  ScriptedPeer peer({[&](PeerConnection& p) {
    p.Send(data.substr(0, 30000));
    p.Pause(50);
    p.Send(data.substr(30000));
  }});
  TSocketConnection c;
  std::vector<std::int32_t> counts;
  c.OnPacketRecvd = [&](TSocketConnection& s) { counts.push_back(s.ReceivedBytes()); };
  ConnectTo(c, peer.Port());
  c.CaptureFile("net_capture.bin");
  EXPECT_EQ(c.ReceivedBytes(), 100000);
  EXPECT_EQ(ReadBytes("net_capture.bin"), data);
  ASSERT_GE(counts.size(), 2u);
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const std::int32_t piece = counts[i] - (i == 0 ? 0 : counts[i - 1]);
    EXPECT_TRUE(piece > 0 && piece <= 65536) << i;
  }
  EXPECT_EQ(counts.back(), 100000);
}

TEST(Capture, StringMaximumIsTestedBeforeEachReceive) {
  ScriptedPeer peer({[](PeerConnection& p) {
                       p.Send("0123456789abcdefghij");
                       p.ReadToEnd();
                     },
                     [](PeerConnection& p) { p.Send(std::string(200000, 'z')); }});
  TSocketConnection c;
  ConnectTo(c, peer.Port());
  std::string text = "old";
  c.CaptureString(text, 10);
  EXPECT_EQ(text, "0123456789abcdefghij");
  EXPECT_EQ(c.ReceivedBytes(), 20);
  c.Disconnect();
  ConnectTo(c, peer.Port());
  c.CaptureString(text, -1);
  EXPECT_EQ(text, std::string(200000, 'z'));
}

// (An abort while capturing a file: HttpFailures.StopEndsTheBodyAndOutlastsConnectUntilResume.)
TEST(Capture, AbortInThePacketEventEndsAStringCapture) {
  ScriptedPeer peer({[](PeerConnection& p) {
    p.Send(std::string(100000, 'a'));
    p.ReadToEnd();
  }});
  TSocketConnection c;
  c.OnPacketRecvd = [](TSocketConnection& s) { s.Abort(); };
  ConnectTo(c, peer.Port());
  std::string text;
  EXPECT_EQ(MessageOf([&] { c.CaptureString(text, -1); }), "Socket-Capture abgebrochen");
  EXPECT_FALSE(text.empty());
}

TEST(Send, WriteStopsAtZeroByteAndRefusesOverlongText) {
  const std::string expected = "abx\r\n" + std::string(65535, 'm') + "123";
  ScriptedPeer peer({[&](PeerConnection& p) { Acknowledge(p, expected.size()); }});
  TSocketConnection c;
  ConnectTo(c, peer.Port());
  c.Write(std::string("ab\0cd", 5));
  c.Writeln("x");
  c.Write(std::string(65535, 'm'));
  EXPECT_EQ(MessageOf([&] { c.Write(std::string(65536, 'n')); }), "Fehler bei Bereichsprüfung");
  c.SendBuffer("12345", 3);
  EXPECT_EQ(c.ReadLn(), "ok\n");
  EXPECT_EQ(peer.Finish().at(0), expected);
}

TEST(Send, SendFileSendsTheWholeFile) {
  const std::string data = Pattern(300000, 7);
  WriteBytes("net_sendfile.bin", data);
  ScriptedPeer peer({[&](PeerConnection& p) { Acknowledge(p, data.size()); }});
  TSocketConnection c;
  int events = 0;
  c.OnPacketSent = [&](TSocketConnection&) { ++events; };
  ConnectTo(c, peer.Port());
  c.SendFile("net_sendfile.bin");
  EXPECT_EQ(c.SentBytes(), 300000);
  EXPECT_GE(events, 5);
  EXPECT_EQ(c.ReadLn(), "ok\n");
  c.Disconnect();
  EXPECT_TRUE(peer.Finish().at(0) == data);
  EXPECT_EQ(MessageOf([&] { c.SendFile("net_no_such_file.bin"); }),
            "Datei net_no_such_file.bin kann nicht geöffnet werden");
}

TEST(Send, SendFileWaitingOnAPeerThatDoesNotReadCanBeCancelled) {
  WriteBytes("net_big.bin", std::string(48 << 20, 'b'));
  ScriptedPeer peer({[](PeerConnection& p) {
    p.Pause(1500); // not reading: the client's sends soon would block
    p.ReadToEnd();
  }});
  TSocketConnection c;
  ConnectTo(c, peer.Port());
  Later abort(500, [&c] { c.Abort(); });
  EXPECT_EQ(MessageOf([&] { c.SendFile("net_big.bin"); }), "Socket-send abgebrochen");
  EXPECT_GT(c.SentBytes(), 0);
  EXPECT_LT(c.SentBytes(), 48 << 20);
  c.Disconnect();
  std::remove("net_big.bin");
}

TEST(Transaction, ReplyLineAndCode) {
  ScriptedPeer peer({[](PeerConnection& p) {
    p.ReadUntil("\r\n");
    p.Send("250 Gut\r\n");
    p.ReadUntil("\r\n");
    p.Send("99999 zu gross\r\n");
    p.ReadToEnd();
  }});
  TSocketConnection c;
  c.ReportLevel = 1;
  ConnectTo(c, peer.Port());
  EXPECT_EQ(c.Transaction("HELO"), "250 Gut\r\n");
  EXPECT_EQ(c.ReplyCode(), 250);
  EXPECT_EQ(c.StatusText(), "250 Gut\r\n");
  EXPECT_THROW(c.Transaction("NEXT"), ERangeError);
  c.Disconnect();
  EXPECT_EQ(peer.Finish().at(0), "HELO\r\nNEXT\r\n");
}

TEST(Accept, IncomingConnectionOnAListeningSocket) {
  TestConnection c;
  c.OnAccept = [&](TSocketConnection&) { c.SetWaitDone(); };
  TSocketConnection client;
  ConnectTo(client, ListenOnLoopback(c.SocketHandle()));
  const std::uint16_t accepted = c.Accept();
  EXPECT_NE(accepted, TSocketConnection::kNoSocket);
  EXPECT_EQ(c.RemoteAddress().Address, inet_addr("127.0.0.1"));
  closesocket(accepted);
}

} // namespace
