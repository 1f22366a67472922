#include "force_signal.h"
#include "line_noise.h"
#include "log_text.h"
#include "output_queue.h"
#include "rng.h"
#include "sim_harness.h"

#include <gtest/gtest.h>

#include <string>

using namespace km470sim;
using namespace km470sim_test;

namespace {

Piece reply(const std::string& text) {
  Piece p;
  p.stream = false;
  p.bytes = text + '\r';
  p.items.push_back({LogItem::Kind::Reply, 0, 0, text});
  return p;
}

} // namespace

// The log is the truth a test compares a recording with: whatever noise is on the line, a
// receiver must decode exactly the frames logged as intact, also when rendered pieces are thrown
// away before they reach the line (stop).
TEST(LineNoise, ReceiverDecodesExactlyTheLoggedFrames) {
  ForceSignal sig(3, 320);
  LineNoise line(true, 99);
  Rng dropper(5);
  Receiver receiver;
  Lines log; // as the simulator writes it
  std::uint64_t index = 0;
  std::size_t sent = 0;
  int withText = 0, damaged = 0, dropped = 0;
  for (int i = 0; i < 40000; ++i) {
    const Piece p = line.render(sig.next());
    if (dropper.chance(20)) {
      line.interrupted();
      ++dropped;
      continue;
    }
    receiver.feed(p.bytes);
    sent += p.bytes.size();
    for (const LogItem& item : p.items)
      log.push_back(itemLine(item, index));
    withText += p.items.size() == 2 ? 1 : 0;
    damaged += p.items.size() == 1 && p.items[0].kind == LogItem::Kind::Noise ? 1 : 0;
  }
  const auto logged = loggedFrames(log);
  ASSERT_EQ(receiver.frames.size(), logged.size());
  EXPECT_EQ(receiver.frames, logged);
  EXPECT_EQ(sent, 3 * logged.size() + loggedBytes(log, "noise ").size())
      << "every byte on the line is in the log";
  // Every kind of damage did occur: text beside an intact frame, damaged frames alone.
  EXPECT_GT(withText, 0);
  EXPECT_GT(damaged, 0);
  EXPECT_GT(receiver.resyncBytes, 0);
  EXPECT_GT(receiver.outOfRange, 0);
  EXPECT_GT(dropped, 0);
}

TEST(OutputQueue, PieceIsDoneOnlyWhenItsLastByteIsWritten) {
  OutputQueue q;
  Piece a;
  a.bytes = "abcd";
  a.items.push_back({LogItem::Kind::Noise, 0, 0, "abcd"});
  q.push(a);
  q.push(reply("D1"));
  EXPECT_EQ(q.bytesQueued(), 7u);

  EXPECT_EQ(q.front(), "abcd");
  EXPECT_FALSE(q.consume(1));
  EXPECT_EQ(q.front(), "bcd");
  EXPECT_FALSE(q.consume(2));
  const auto done = q.consume(1);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->bytes, "abcd");
  EXPECT_EQ(q.front(), "D1\r");
  EXPECT_THROW(q.consume(4), std::logic_error);
  ASSERT_TRUE(q.consume(3));
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(q.bytesQueued(), 0u);
}

TEST(OutputQueue, StopDropsUnsentFramesButFinishesStartedOneAndKeepsReplies) {
  OutputQueue q;
  auto frame = [](char c) {
    Piece p;
    p.bytes = std::string(3, c);
    return p;
  };
  q.push(frame('a'));
  q.push(frame('b'));
  q.push(reply("KM470 V2.03"));
  q.push(frame('c'));
  q.consume(1); // 'a' is half on the line

  EXPECT_TRUE(q.dropUnsentStream());
  EXPECT_EQ(q.front(), "aa");
  q.consume(2);
  EXPECT_EQ(q.front(), "KM470 V2.03\r");
  q.consume(q.front().size());
  EXPECT_TRUE(q.empty());
  EXPECT_FALSE(q.dropUnsentStream());
}
