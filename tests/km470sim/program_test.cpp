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
  std::string errors() const { return readText(dir / "stderr.txt"); }

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

// Sends "C00S" and collects everything the stream left on the line before the unit stopped.
std::string stopAndDrain(Sim& sim, SerialClient& c, std::size_t stopsBefore) {
  c.send("C00S\r");
  const auto lines =
      waitForLog(sim.log(), [&](const auto& l) { return countPrefix(l, "stop") > stopsBefore; });
  EXPECT_GT(countPrefix(lines, "stop"), stopsBefore) << "the unit did not stop";
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
  EXPECT_EQ(exchange(*c, "?V"), "KM470 V2.03\r");
  EXPECT_EQ(exchange(*c, "C00D"), "D2\r");

  // A command split over several writes, with a line feed and an unknown command before it (its
  // control byte and backslash escaped in the log).
  c->send("X\x01\\Z\r\nC0");
  EXPECT_EQ(c->readFor(200ms), "") << "unknown commands get no answer";
  c->send("0");
  c->send("D\r");
  EXPECT_EQ(c->readUntil(endsWithCr), "D2\r");

  const auto lines = waitForLog(sim.log(), [](const auto& l) { return l.size() >= 7; });
  const std::vector<std::string> expected{"rx ?V",           "tx KM470 V2.03", "rx C00D", "tx D2",
                                          "rx X\\x01\\x5cZ", "rx C00D",        "tx D2"};
  EXPECT_EQ(lines, expected);
}

// The PT615 names itself, so a program that looks for "KM470" does not take it for one.
TEST(Program, PT615DoesNotCallItselfKM470) {
  Sim sim({"--model", "PT615"});
  const std::string id = exchange(*sim.client(), "?V");
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

// Clean or noisy, the line carries exactly the frames the log names, and nothing the log does not.
TEST(Program, StreamIsWhatTheLogSays) {
  for (const bool noise : {false, true}) {
    SCOPED_TRACE(noise ? "noisy line" : "clean line");
    Sim sim(noise ? std::vector<std::string>{"--noise", "--seed", "11"}
                  : std::vector<std::string>{});
    auto c = sim.client();
    c->send("C00C\r");
    // The noisy line is read until some noise with text bytes has gone out; the deadline is only a
    // hang guard.
    const auto enough = [&] {
      const auto lines = readLines(sim.log());
      bool sawText = false;
      return !noise ||
             (countPrefix(lines, "noise ") >= 5 && (noiseByteCount(lines, &sawText), sawText));
    };
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::string bytes;
    do
      bytes += c->readFor(noise ? 100ms : 500ms);
    while (!enough() && std::chrono::steady_clock::now() < deadline);
    bytes += stopAndDrain(sim, *c, 0);
    EXPECT_EQ(c->readFor(300ms), "") << "frames after the stop";

    auto lines = readLines(sim.log());
    const auto logged = loggedFrames(lines);
    ASSERT_GT(logged.size(), 0u);
    EXPECT_EQ(decode(bytes), asReceived(logged));
    EXPECT_EQ(countPrefix(lines, "noise ") > 0, noise);
    EXPECT_EQ(bytes.size(), 3 * logged.size() + noiseByteCount(lines, nullptr))
        << "every byte on the line is in the log";
    bool pages[2] = {};
    for (std::size_t i = 0; i < logged.size(); ++i) {
      ASSERT_EQ(logged[i].index, i);
      pages[(logged[i].status >> 5) & 1] = true;
    }
    EXPECT_TRUE(pages[0] && pages[1]) << "both indicator columns";
    EXPECT_EQ(lines.front(), "rx C00C");
    EXPECT_EQ(lines[1], "start");
    EXPECT_EQ(lines.back(), "stop");
    if (noise)
      continue;

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
  EXPECT_EQ(exchange(*c, "C00D"), "D1\r") << "one decimal place unless told otherwise";
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
    const std::string text = readText(sim.log());
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
    const std::string errors = readText(dir / "err");
    EXPECT_NE(errors.substr(0, errors.find('\n')).find("--baud"), std::string::npos) << errors;
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
    EXPECT_EQ(readText(file), "keep me");
  }
}
