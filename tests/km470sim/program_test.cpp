// The real simulator on a real pseudo-terminal, driven as the measurement program drives it.

#include "sim_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace km470sim_test;

namespace {

bool endsWithCr(const std::string& s) {
  return !s.empty() && s.back() == '\r';
}

std::string exchange(SerialClient& c, const std::string& command) {
  c.send(command + "\r");
  return c.readUntil(endsWithCr);
}

std::string readFrames(SerialClient& c, std::size_t count) {
  return c.readUntil([&](const std::string& s) { return decode(s).size() >= count; });
}

// Sends "C00S" and collects everything the stream left on the line before the unit stopped.
std::string stopAndDrain(const Sim& sim, SerialClient& c) {
  const auto stops = [](const Lines& l) { return std::ranges::count(l, std::string("stop")); };
  const auto before = stops(readLines(sim.log()));
  c.send("C00S\r");
  waitForLines(sim.log(), [&](const Lines& l) { return stops(l) > before; });
  // Frames are logged once written, so the log's "stop" means all of them are on the line.
  return c.readFor(300ms);
}

} // namespace

TEST(Program, AnswersOnItsLinkAndLogsWhatItHeard) {
  Sim sim({"--decimals", "2"});
  const std::string slave = sim.firstLine();
  ASSERT_TRUE(slave.starts_with("/dev/pts/")) << sim.errors();
  EXPECT_EQ(fs::read_symlink(sim.link()).string(), slave);

  SerialClient c(sim.link());
  EXPECT_EQ(exchange(c, "?V"), "KM470 V2.03\r");
  // A command split over several writes, after an empty line, a line feed and an unknown command
  // (its control byte and backslash escaped in the log).
  c.send("X\x01\\Z\r\r\nC0");
  EXPECT_EQ(c.readFor(200ms), "") << "unknown commands get no answer";
  c.send("0");
  c.send("D\r");
  EXPECT_EQ(c.readUntil(endsWithCr), "D2\r");

  const Lines expected{"rx ?V", "tx KM470 V2.03", "rx X\\x01\\x5cZ", "rx C00D", "tx D2"};
  EXPECT_EQ(waitForLines(sim.log(), [](const Lines& l) { return l.size() >= 5; }), expected);
}

TEST(Program, HearsOnlyItsOwnBaudRate) {
  Sim sim({"--baud", "9600"});
  SerialClient c(sim.link(), B19200);
  c.send("?V\rC00C\r");
  const auto ignored = [](const Lines& l) { return loggedBytes(l, "ignored "); };
  const Lines lines =
      waitForLines(sim.log(), [&](const Lines& l) { return ignored(l).size() >= 8; });
  EXPECT_EQ(ignored(lines), "?V\rC00C\r");
  EXPECT_EQ(c.readFor(300ms), "") << "a unit at another rate sends nothing";

  c.setBaud(B9600);
  EXPECT_EQ(exchange(c, "?V"), "KM470 V2.03\r");

  // Streaming at 9600, then the line is switched away: the unit falls silent (and hears no
  // stop), and streams again once the rate is right.
  c.send("C00C\r");
  EXPECT_GE(decode(readFrames(c, 10)).size(), 10u);
  c.setBaud(B19200);
  c.readFor(200ms); // what was already on its way
  EXPECT_EQ(c.readFor(300ms), "");
  // The pty has no line timing: the rate in force when the unit reads the bytes is what counts,
  // so switch back only once it has heard (and dropped) them.
  const std::size_t before = ignored(readLines(sim.log())).size();
  c.send("C00S\r");
  waitForLines(sim.log(), [&](const Lines& l) { return ignored(l).size() > before; });
  c.setBaud(B9600);
  EXPECT_GE(decode(readFrames(c, 10)).size(), 10u);
}

// Clean or noisy, the line carries exactly the frames the log names, and nothing the log does not.
TEST(Program, StreamIsWhatTheLogSays) {
  for (const bool noise : {false, true}) {
    SCOPED_TRACE(noise ? "noisy line" : "clean line");
    Sim sim(noise ? std::vector<std::string>{"--noise", "--seed", "11"}
                  : std::vector<std::string>{});
    SerialClient c(sim.link());
    c.send("C00C\r");
    std::string bytes = readFrames(c, 300);
    bytes += stopAndDrain(sim, c);

    const Lines lines = readLines(sim.log());
    const auto logged = loggedFrames(lines);
    ASSERT_GE(logged.size(), 300u);
    EXPECT_EQ(decode(bytes), logged);
    const std::string stray = loggedBytes(lines, "noise ");
    EXPECT_NE(stray.empty(), noise);
    EXPECT_EQ(bytes.size(), 3 * logged.size() + stray.size())
        << "every byte on the line is in the log";
    EXPECT_EQ(lines.front(), "rx C00C");
    EXPECT_EQ(lines[1], "start");
    EXPECT_EQ(lines.back(), "stop") << "nothing written after the stop";
    if (noise)
      continue;

    // Started again, the stream (and the frames' numbering) goes on.
    c.send("C00C\r");
    bytes = readFrames(c, 20);
    bytes += stopAndDrain(sim, c);
    const auto all = loggedFrames(readLines(sim.log()));
    EXPECT_EQ(decode(bytes), std::vector(all.begin() + std::ssize(logged), all.end()));
  }
}

TEST(Program, ReopenedPortStartsEmptyAndStillAnswers) {
  Sim sim;
  {
    SerialClient c(sim.link());
    c.send("C00C\r");
    readFrames(c, 10);
  }
  // Nobody reads now; frames pile up in the terminal.
  const auto closedAt = loggedFrames(readLines(sim.log())).size();
  const Lines piled = waitForLines(
      sim.log(), [&](const Lines& l) { return loggedFrames(l).size() >= closedAt + 200; });
  ASSERT_GE(loggedFrames(piled).size(), closedAt + 200);

  SerialClient c(sim.link());
  const auto received = decode(stopAndDrain(sim, c));
  const auto logged = loggedFrames(readLines(sim.log()));
  // Only what was sent after the port was opened again: the newest frames, not the pile.
  EXPECT_LT(received.size(), 200u);
  EXPECT_TRUE(std::equal(received.rbegin(), received.rend(), logged.rbegin()));
  EXPECT_EQ(exchange(c, "C00D"), "D1\r") << "one decimal place unless told otherwise";
}

TEST(Program, SignalsEndItCleanly) {
  for (const int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    Sim sim;
    SerialClient c(sim.link());
    c.send("C00C\r");
    readFrames(c, 5);
    sim.signal(sig);
    EXPECT_EQ(sim.waitExit(), 0) << sim.errors();
    EXPECT_FALSE(fs::is_symlink(sim.link()));
    EXPECT_TRUE(readText(sim.log()).ends_with('\n')) << "log ends in a whole line";
    EXPECT_EQ(sim.errors(), "");
  }
}

TEST(Program, CommandLine) {
  Sim bad({"--baud", "4800"}, Sim::ArgsOnly);
  EXPECT_EQ(bad.waitExit(), 2);
  const std::string errors = bad.errors();
  EXPECT_NE(errors.substr(0, errors.find('\n')).find("--baud"), std::string::npos) << errors;

  Sim help({"--help"}, Sim::ArgsOnly);
  EXPECT_TRUE(help.firstLine().starts_with("Usage: km470sim"));
  EXPECT_EQ(help.waitExit(), 0);

  // An old link (a running unit's) is replaced and removed at the end; a file (its log) is not.
  Sim old;
  Sim other({"--link", old.link().string()}, Sim::ArgsOnly);
  const std::string slave = other.firstLine();
  EXPECT_EQ(fs::read_symlink(old.link()).string(), slave);
  other.signal(SIGTERM);
  EXPECT_EQ(other.waitExit(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(old.link())));
  Sim refused({"--link", old.log().string()}, Sim::ArgsOnly);
  EXPECT_EQ(refused.waitExit(), 1);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(old.log())));
}
