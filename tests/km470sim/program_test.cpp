// The real simulator on a real pseudo-terminal, driven as the measurement program drives it.

#include "receiver.h"
#include "sim_harness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <sstream>

using namespace km470sim_test;
namespace fs = std::filesystem;

namespace {

class Sim {
public:
  explicit Sim(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"--link", link().string(), "--log", log().string()};
    args.insert(args.end(), extra.begin(), extra.end());
    process = std::make_unique<SimProcess>(args, dir / "stderr.txt");
    slave = process->firstLine();
  }

  fs::path link() const { return dir / "com3"; }
  fs::path log() const { return dir / "sim.log"; }
  std::string errors() const {
    std::ifstream in(dir / "stderr.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::unique_ptr<SerialClient> client(speed_t speed = B19200) const {
    auto c = std::make_unique<SerialClient>(link().string());
    c->setBaud(speed);
    return c;
  }

  TempDir dir;
  std::unique_ptr<SimProcess> process;
  std::string slave;
};

bool endsWithCr(const std::string& s) {
  return !s.empty() && s.back() == '\r';
}

std::string exchange(SerialClient& c, const std::string& command) {
  c.send(command + "\r");
  return c.readUntil(endsWithCr);
}

bool allText(const std::string& s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) & 0x80)
      return false;
  return true;
}

std::size_t countLine(const std::vector<std::string>& lines, const std::string& line) {
  std::size_t n = 0;
  for (const auto& l : lines)
    n += l == line ? 1 : 0;
  return n;
}

// Sends "C00S" and collects everything the stream left on the line before the unit stopped.
std::string stopAndDrain(Sim& sim, SerialClient& c, std::size_t stopsBefore) {
  c.send("C00S\r");
  const auto lines =
      waitForLog(sim.log(), [&](const auto& l) { return countLine(l, "stop") > stopsBefore; });
  EXPECT_GT(countLine(lines, "stop"), stopsBefore) << "the unit did not stop";
  // Frames are logged once written, so the log's "stop" means all of them are on the line.
  return c.readFor(300ms);
}

std::vector<ReceivedFrame> decode(const std::string& bytes) {
  Receiver r;
  r.feed(bytes);
  return r.frames;
}

std::vector<ReceivedFrame> asReceived(const std::vector<LoggedFrame>& logged,
                                      std::size_t from = 0) {
  std::vector<ReceivedFrame> out;
  for (std::size_t i = from; i < logged.size(); ++i)
    out.push_back({logged[i].count, logged[i].status});
  return out;
}

std::size_t noiseByteCount(const std::vector<std::string>& lines, bool* sawText) {
  std::size_t n = 0;
  for (const auto& l : lines) {
    if (!l.starts_with("noise "))
      continue;
    std::istringstream in(l.substr(6));
    std::string hex;
    while (in >> hex) {
      ++n;
      if (sawText && std::stoul(hex, nullptr, 16) < 0x80)
        *sawText = true;
    }
  }
  return n;
}

} // namespace

TEST(Program, AnswersIdentificationAndDecimals) {
  Sim sim({"--decimals", "2"});
  ASSERT_EQ(sim.slave.rfind("/dev/pts/", 0), 0u) << sim.errors();
  EXPECT_EQ(fs::read_symlink(sim.link()).string(), sim.slave);

  auto c = sim.client();
  const std::string id = exchange(*c, "?V");
  EXPECT_EQ(id, "KM470 V2.03\r");
  EXPECT_TRUE(allText(id));
  EXPECT_EQ(exchange(*c, "C00D"), "D2\r");

  // A command split over several writes, with a line feed and an unknown command before it.
  c->send("XYZ\r\nC0");
  EXPECT_EQ(c->readFor(200ms), "") << "unknown commands get no answer";
  c->send("0");
  c->send("D\r");
  EXPECT_EQ(c->readUntil(endsWithCr), "D2\r");

  const auto lines = waitForLog(sim.log(), [](const auto& l) { return l.size() >= 7; });
  const std::vector<std::string> expected{"rx ?V",  "tx KM470 V2.03", "rx C00D", "tx D2",
                                          "rx XYZ", "rx C00D",        "tx D2"};
  EXPECT_EQ(lines, expected);
}

TEST(Program, PT615DoesNotCallItselfKM470) {
  Sim sim({"--model", "PT615"});
  auto c = sim.client();
  const std::string id = exchange(*c, "?V");
  EXPECT_NE(id.find("PT615"), std::string::npos) << id;
  EXPECT_EQ(id.find("KM470"), std::string::npos) << id;
}

TEST(Program, HearsOnlyItsOwnBaudRate) {
  Sim sim({"--baud", "9600"});
  auto c = sim.client(B19200);
  c->send("?V\r");
  c->send("C00C\r");
  const auto lines =
      waitForLog(sim.log(), [](const auto& l) { return countPrefix(l, "ignored ") > 0; });
  ASSERT_GT(countPrefix(lines, "ignored "), 0u);
  EXPECT_EQ(c->readFor(300ms), "") << "a unit at another rate sends nothing";
  std::string ignored;
  for (const auto& l : readLines(sim.log())) {
    ASSERT_TRUE(l.starts_with("ignored ")) << l;
    ignored += (ignored.empty() ? "" : " ") + l.substr(8);
  }
  EXPECT_EQ(ignored, "3f 56 0d 43 30 30 43 0d");

  c->setBaud(B9600);
  EXPECT_EQ(exchange(*c, "?V"), "KM470 V2.03\r");

  // Streaming at 9600, then the line is switched away: the unit falls silent (and hears no
  // stop), and streams again once the rate is right.
  c->send("C00C\r");
  EXPECT_GE(
      decode(c->readUntil([](const std::string& s) { return decode(s).size() >= 10; })).size(),
      10u);
  c->setBaud(B19200);
  c->readFor(200ms); // what was already on its way
  EXPECT_EQ(c->readFor(300ms), "");
  // The pty has no line timing: the rate in force when the unit reads the bytes is what counts,
  // so switch back only once it has heard (and dropped) them.
  const std::size_t ignoredBefore = countPrefix(readLines(sim.log()), "ignored ");
  c->send("C00S\r");
  waitForLog(sim.log(), [&](const auto& l) { return countPrefix(l, "ignored ") > ignoredBefore; });
  c->setBaud(B9600);
  EXPECT_GE(
      decode(c->readUntil([](const std::string& s) { return decode(s).size() >= 10; })).size(),
      10u);
  stopAndDrain(sim, *c, 0);
}

TEST(Program, StreamIsWhatTheLogSays) {
  Sim sim;
  auto c = sim.client();
  c->send("C00C\r");
  std::string bytes = c->readFor(500ms);
  bytes += stopAndDrain(sim, *c, 0);
  EXPECT_EQ(c->readFor(300ms), "") << "frames after the stop";

  auto lines = readLines(sim.log());
  const auto logged = loggedFrames(lines);
  const auto received = decode(bytes);
  ASSERT_GT(received.size(), 0u);
  EXPECT_EQ(received, asReceived(logged));
  EXPECT_EQ(bytes.size(), 3 * logged.size()) << "a clean line carries only frames";
  bool pages[2] = {};
  for (std::size_t i = 0; i < logged.size(); ++i) {
    ASSERT_EQ(logged[i].index, i);
    pages[(logged[i].status >> 5) & 1] = true;
  }
  EXPECT_TRUE(pages[0] && pages[1]) << "both indicator columns";
  EXPECT_EQ(lines.front(), "rx C00C");
  EXPECT_EQ(lines[1], "start");
  EXPECT_EQ(lines.back(), "stop");

  // Started again, the frame index goes on where it stopped.
  const std::size_t before = logged.size();
  c->send("C00C\r");
  bytes = c->readUntil([](const std::string& s) { return decode(s).size() >= 20; });
  bytes += stopAndDrain(sim, *c, 1);
  lines = readLines(sim.log());
  const auto all = loggedFrames(lines);
  ASSERT_GT(all.size(), before);
  EXPECT_EQ(all[before].index, before);
  EXPECT_EQ(decode(bytes), asReceived(all, before));
}

TEST(Program, NoisyLineStillCarriesExactlyTheLoggedFrames) {
  Sim sim({"--noise", "--seed", "11"});
  auto c = sim.client();
  c->send("C00C\r");
  std::string bytes;
  // Read while waiting, until some noise with text bytes has gone out.
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    bytes += c->readFor(100ms);
    bool sawText = false;
    const auto lines = readLines(sim.log());
    if ((countPrefix(lines, "noise ") >= 5 && (noiseByteCount(lines, &sawText), sawText)) ||
        std::chrono::steady_clock::now() > deadline)
      break;
  }
  bytes += stopAndDrain(sim, *c, 0);

  const auto lines = readLines(sim.log());
  ASSERT_GE(countPrefix(lines, "noise "), 5u);
  const auto logged = loggedFrames(lines);
  Receiver r;
  r.feed(bytes);
  EXPECT_EQ(r.frames, asReceived(logged));
  EXPECT_EQ(bytes.size(), 3 * logged.size() + noiseByteCount(lines, nullptr))
      << "every byte on the line is in the log";
  EXPECT_FALSE(allText(bytes));
}

TEST(Program, ReopenedPortStartsEmptyAndStillAnswers) {
  Sim sim;
  auto c = sim.client();
  c->send("C00C\r");
  c->readUntil([](const std::string& s) { return decode(s).size() >= 10; });
  c->close();

  // Nobody reads now; frames pile up in the terminal.
  const auto closedAt = loggedFrames(readLines(sim.log())).size();
  const auto piled = waitForLog(
      sim.log(), [&](const auto& l) { return loggedFrames(l).size() >= closedAt + 200; });
  ASSERT_GE(loggedFrames(piled).size(), closedAt + 200);

  c = sim.client();
  const std::string bytes = stopAndDrain(sim, *c, 0);
  const auto logged = loggedFrames(readLines(sim.log()));
  const auto received = decode(bytes);
  // Only what was sent after the port was opened again: the newest frames, not the pile.
  EXPECT_LT(received.size(), 200u);
  const auto all = asReceived(logged);
  const std::vector<ReceivedFrame> tail(all.end() - static_cast<std::ptrdiff_t>(received.size()),
                                        all.end());
  EXPECT_EQ(received, tail);
  EXPECT_EQ(exchange(*c, "?V"), "KM470 V2.03\r");
}

TEST(Program, SignalsEndItCleanly) {
  for (const int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    Sim sim;
    auto c = sim.client();
    c->send("C00C\r");
    c->readUntil([](const std::string& s) { return decode(s).size() >= 5; });
    sim.process->signal(sig);
    EXPECT_EQ(sim.process->waitExit(), std::optional<int>(0)) << sim.errors();
    EXPECT_FALSE(fs::is_symlink(sim.link()));
    std::ifstream in(sim.log(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "log ends in a whole line";
    EXPECT_EQ(sim.errors(), "");
  }
}

TEST(Program, CommandLine) {
  TempDir dir;
  {
    SimProcess p({"--baud", "4800"}, dir / "err");
    EXPECT_EQ(p.waitExit(), std::optional<int>(2));
    std::ifstream in(dir / "err");
    std::string first;
    std::getline(in, first);
    EXPECT_NE(first.find("--baud"), std::string::npos) << first;
  }
  {
    SimProcess p({"--help"}, dir / "err");
    EXPECT_EQ(p.firstLine().rfind("Usage: km470sim", 0), 0u);
    EXPECT_EQ(p.waitExit(), std::optional<int>(0));
  }

  // An old link is replaced, a file is not.
  const fs::path link = dir / "com1";
  fs::create_symlink("/nonexistent/port", link);
  {
    SimProcess p({"--link", link.string()}, dir / "err");
    const std::string slave = p.firstLine();
    ASSERT_FALSE(slave.empty());
    EXPECT_EQ(fs::read_symlink(link).string(), slave);
    p.signal(SIGTERM);
    EXPECT_EQ(p.waitExit(), std::optional<int>(0));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  }
  const fs::path file = dir / "com2";
  std::ofstream(file) << "keep me";
  {
    SimProcess p({"--link", file.string()}, dir / "err");
    EXPECT_EQ(p.waitExit(), std::optional<int>(1));
    std::ifstream in(file);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");
  }
}
