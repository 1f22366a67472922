// THttpClient against the update server script: what the program update relies on, and the
// server's misbehaviours.
#include "net/httpclient.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string kFolder = "updateserver/www/";
const std::string kPath = "/spezmemb/download/software/";

int ServerPort() {
  std::ifstream in("updateserver/port");
  int port = 0;
  in >> port;
  return port;
}

class UpdateServerTest : public ::testing::Test {
protected:
  void SetUp() override {
    const int port = ServerPort();
    ASSERT_NE(port, 0) << "the update server is not running (fixture net_updateserver_start)";
    c.Port = port;
    c.InputFileMode = true;
    c.HeaderInfo.UserId = "58213";
    c.HeaderInfo.Password = "VeNuSaR";
    c.Body = "net_srv_body.bin";
    c.Header = "net_srv_header.txt";
    c.OnSuccess = [this](CmdType) { ++successes; };
    c.OnFailure = [this](CmdType) { ++failures; };
    c.OnPacketRecvd = [this](TSocketConnection& s) { pieces.push_back(s.ReceivedBytes()); };
    c.OnAuthenticationNeeded = [this](TSocketConnection&) { ++authNeeded; };
  }

  THttpClient c;
  int successes = 0, failures = 0, authNeeded = 0;
  std::vector<std::int32_t> pieces;
};

TEST_F(UpdateServerTest, GetStoresTheFileAndItsSize) {
  const std::string data = Pattern(300000, 11);
  WriteBytes(kFolder + "dynlog.ex_", data);
  c.Get("127.0.0.1" + kPath + "dynlog.ex_");
  EXPECT_EQ(c.ReplyCode(), 200);
  EXPECT_EQ(c.ExpectedBytes(), 300000);
  EXPECT_EQ(c.ReceivedBytes(), 300000);
  EXPECT_TRUE(ReadBytes("net_srv_body.bin") == data);
  EXPECT_EQ(successes, 1);
  ASSERT_FALSE(pieces.empty());
  EXPECT_EQ(pieces.back(), 300000);
  EXPECT_EQ(c.Header.substr(0, 17), "HTTP/1.0 200 OK\r\n");
}

TEST_F(UpdateServerTest, MissingFileAndWrongCredentialsAreStoredWithOnFailure) {
  c.Get("127.0.0.1" + kPath + "no-such-file.ini");
  EXPECT_EQ(c.ReplyCode(), 404);
  EXPECT_EQ(failures, 1);
  EXPECT_NE(ReadBytes("net_srv_body.bin").find("Not Found"), std::string::npos);

  WriteBytes(kFolder + "update.ini", "[KM470Programm]\r\nName=dynlog.exe\r\n");
  c.HeaderInfo.Password = "falsch";
  c.Get("127.0.0.1" + kPath + "update.ini");
  EXPECT_EQ(c.ReplyCode(), 401);
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(authNeeded, 1);
  c.HeaderInfo.Password = "VeNuSaR";
  c.Get("127.0.0.1" + kPath + "update.ini");
  EXPECT_EQ(ReadBytes("net_srv_body.bin"), "[KM470Programm]\r\nName=dynlog.exe\r\n");
  EXPECT_EQ(successes, 1);
}

TEST_F(UpdateServerTest, NoLengthSlowPiecesAndEarlyClose) {
  const std::string data = Pattern(5000, 5);
  WriteBytes(kFolder + "nolength.bin", data);
  c.Get("127.0.0.1" + kPath + "nolength.bin");
  EXPECT_EQ(c.ExpectedBytes(), 0);
  EXPECT_EQ(c.ReceivedBytes(), 5000);

  WriteBytes(kFolder + "slow.bin", data); // five pieces of 1000 bytes, 20 ms apart
  pieces.clear();
  c.Get("127.0.0.1" + kPath + "slow.bin");
  EXPECT_TRUE(ReadBytes("net_srv_body.bin") == data);
  EXPECT_GE(pieces.size(), 3u);
  EXPECT_EQ(pieces.back(), 5000);

  WriteBytes(kFolder + "early.bin", data); // announces 5000, sends 1000
  c.Get("127.0.0.1" + kPath + "early.bin");
  EXPECT_EQ(c.ExpectedBytes(), 5000);
  EXPECT_EQ(c.ReceivedBytes(), 1000);
}

TEST_F(UpdateServerTest, RedirectToAnotherFileOnTheServer) {
  WriteBytes(kFolder + "update.ini", "[KM470Programm]\r\nVersion=1.0.0.2\r\n");
  c.Get("127.0.0.1" + kPath + "moved.ini");
  EXPECT_EQ(c.ReplyCode(), 200);
  EXPECT_EQ(c.RequestPath(), kPath + "update.ini");
  EXPECT_EQ(ReadBytes("net_srv_body.bin"), "[KM470Programm]\r\nVersion=1.0.0.2\r\n");
}

TEST_F(UpdateServerTest, TimeOutBoundsSilenceNotALongTransfer) {
  // 60 pieces 20 ms apart take over a second, twice the time-out; each piece starts it again.
  const std::string data = Pattern(60000, 5);
  WriteBytes(kFolder + "slow.bin", data);
  c.TimeOut = 500;
  c.Get("127.0.0.1" + kPath + "slow.bin");
  EXPECT_EQ(c.ReplyCode(), 200);
  EXPECT_TRUE(ReadBytes("net_srv_body.bin") == data);
}

TEST_F(UpdateServerTest, ServerThatNeverAnswersTimesOut) {
  c.TimeOut = 1000;
  EXPECT_EQ(MessageOf([&] { c.Get("127.0.0.1" + kPath + "hang.ini"); }),
            "Socket-readln abgebrochen");
  EXPECT_FALSE(c.Connected());
  // The client is usable again afterwards.
  WriteBytes(kFolder + "update.ini", "x");
  c.Get("127.0.0.1" + kPath + "update.ini");
  EXPECT_EQ(ReadBytes("net_srv_body.bin"), "x");
}

} // namespace
