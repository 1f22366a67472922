#include "command_reader.h"
#include "frame_pacer.h"
#include "options.h"
#include "unit_responder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace km470sim;
using Strings = std::vector<std::string>;

TEST(CommandReader, CommandsAcrossSplitReads) {
  CommandReader r;
  EXPECT_EQ(r.feed("?"), Strings{});
  EXPECT_EQ(r.feed("V"), Strings{});
  EXPECT_EQ(r.feed("\rC00"), Strings{"?V"});
  EXPECT_EQ(r.feed("S\r\nC00S\r?V\r"), (Strings{"C00S", "C00S", "?V"}));
  // A line feed anywhere is ignored; an empty line is no command.
  EXPECT_EQ(r.feed("\r\n\r\nC0\n0D\r"), Strings{"C00D"});
  // A long line keeps what the unit's buffer holds; a reset forgets a partial command.
  EXPECT_EQ(r.feed(std::string(10000, 'x') + "\r"),
            Strings{std::string(CommandReader::kMaxLine, 'x')});
  r.feed("C0");
  r.reset();
  EXPECT_EQ(r.feed("?V\r"), Strings{"?V"});
}

TEST(UnitResponder, Commands) {
  using enum Response::Stream;
  const auto is = [](const Response& r, std::optional<std::string> reply, Response::Stream stream) {
    return r.reply == reply && r.stream == stream;
  };
  EXPECT_TRUE(is(respond("?V", {}), "KM470 V2.03", Unchanged));
  // A program that looks for "KM470" must not take a PT615 for one.
  EXPECT_TRUE(is(respond("?V", {Model::PT615}), "PT615 V2.03", Unchanged));
  EXPECT_TRUE(is(respond("C00D", {Model::KM470, 0}), "D0", Unchanged));
  EXPECT_TRUE(is(respond("C00D", {Model::KM470, 3}), "D3", Unchanged));
  EXPECT_TRUE(is(respond("C00C", {}), std::nullopt, Start));
  EXPECT_TRUE(is(respond("C00S", {}), std::nullopt, Stop));
  // Commands are exact: no other case, no extra space.
  for (const char* unknown : {"c00c", "C00X", "?v", "C00C ", "V?"})
    EXPECT_TRUE(is(respond(unknown, {}), std::nullopt, Unchanged)) << unknown;
}

TEST(FramePacer, FramesFollowTheScheduleWithoutDrift) {
  using namespace std::chrono;
  for (const int fps : {320, 160}) {
    SCOPED_TRACE(fps);
    FramePacer pacer(fps, 1000000);
    const FramePacer::Clock::time_point t0{seconds(1000)};
    pacer.start(t0);
    std::uint64_t skipped = 0;
    // Frame 0 is due at once.
    EXPECT_EQ(pacer.take(t0, skipped), 1u);
    // Irregular wake-ups (7 ms, 3 ms, 11 ms, ...) over a minute: the total is always the number
    // of frame times passed, however the wake-ups fall.
    std::uint64_t total = 1;
    auto now = t0;
    const int steps[] = {7, 3, 11, 5, 1, 13};
    for (int i = 0; now < t0 + seconds(60); ++i) {
      now += milliseconds(steps[i % 6]);
      total += pacer.take(now, skipped);
      ASSERT_EQ(skipped, 0u);
      const auto expected = duration_cast<nanoseconds>(now - t0).count() * fps / 1'000'000'000 + 1;
      ASSERT_EQ(total, static_cast<std::uint64_t>(expected));
      ASSERT_GT(pacer.nextDue(), now);
      ASSERT_LE(pacer.nextDue(), now + nanoseconds(1'000'000'000 / fps));
    }
    EXPECT_EQ(pacer.dueTime(static_cast<std::uint64_t>(fps)), t0 + seconds(1));
  }
}

TEST(FramePacer, LongStallSkipsOldFramesButKeepsTheSchedule) {
  using namespace std::chrono;
  FramePacer pacer(320, 160);
  const FramePacer::Clock::time_point t0{seconds(5)};
  pacer.start(t0);
  std::uint64_t skipped = 0;
  EXPECT_EQ(pacer.take(t0 + seconds(10), skipped), 160u);
  EXPECT_EQ(skipped, 3201u - 160u);
  EXPECT_EQ(pacer.nextDue(), t0 + seconds(10) + nanoseconds(3'125'000));
  EXPECT_EQ(pacer.take(t0 + seconds(10) + milliseconds(10), skipped), 3u);
  EXPECT_EQ(skipped, 0u);
}

namespace {
std::variant<Options, UsageError> parse(std::vector<const char*> args) {
  return parseOptions(static_cast<int>(args.size()), args.data());
}
} // namespace

TEST(Options, EveryOptionIsTaken) {
  const auto all = parse({"--link", "/x/com3", "--baud=9600", "--model", "PT615", "--decimals", "3",
                          "--seed=12345678901234", "--noise", "--log", "l.txt"});
  ASSERT_TRUE(std::holds_alternative<Options>(all));
  const Options& a = std::get<Options>(all);
  EXPECT_EQ(a.linkPath, "/x/com3");
  EXPECT_EQ(a.logPath, "l.txt");
  EXPECT_EQ(a.baud, 9600);
  EXPECT_EQ(a.unit.model, Model::PT615);
  EXPECT_EQ(a.unit.decimals, 3);
  EXPECT_EQ(a.seed, 12345678901234u);
  EXPECT_TRUE(a.noise);
  EXPECT_EQ(framesPerSecond(a.baud), 160);
  EXPECT_EQ(framesPerSecond(19200), 320);
}

TEST(Options, BadArgumentsAreRejected) {
  const std::vector<std::vector<const char*>> bad = {
      {"--baud", "4800"}, {"--baud", "19200x"}, {"--baud"},       {"--decimals", "4"},
      {"--decimals=-1"},  {"--model", "km470"}, {"--seed", "-3"}, {"--link", ""},
      {"--noise=1"},      {"--frobnicate"},     {"extra"},        {"--log"}};
  for (const auto& args : bad) {
    const auto r = parse(args);
    ASSERT_TRUE(std::holds_alternative<UsageError>(r)) << args[0];
    EXPECT_FALSE(std::get<UsageError>(r).message.empty());
  }
}
