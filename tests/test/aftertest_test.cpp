// What follows a test that a stop condition ended: stopped as by hand, or kept, asked about and
// armed again, with the ended test's peak in view until the next one begins.
#include "test/aftertest.h"

#include <gtest/gtest.h>

namespace dynlog {
namespace {

LocalTime kNow() {
  return {};
}

TEST(AfterTest, StopsOrKeepsAsksAndArmsAgainAndShowsTheEndedPeakMeanwhile) {
  const struct {
    const char* what;
    bool rearm, askFirst, saved; // saved: the keeping wrote it
    std::optional<bool> answer;  // the person's: may go
    bool stop, rearmed;
  } cases[] = {
      {"no arming again", false, true, false, {}, true, false},
      {"nobody to ask", true, false, false, {}, false, true},
      {"kept in the series", true, true, true, {}, false, true},
      {"asked, may go", true, true, false, true, false, true},
      {"asked, kept back", true, true, false, false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Recording r;
    r.SetConditions({{StartCondition::Kind::ForceAbove, 50, 0}, {40.0, 200}, c.rearm});
    AfterTest after(r);
    r.Start({SampleRate::Hz10, false, 19200, 0, "COM3", "KM470"}, {});
    const auto values = [&](std::initializer_list<double> kept) {
      for (const double v : kept)
        for (int i = 0; i < 32; ++i)
          r.TakeFrame(v, {SampleRate::Hz10, false, 19200});
    };
    int keeps = 0;
    const auto keep = [&] { ++keeps, c.saved ? r.MarkSaved() : void(); };
    values({0, 3, 60}); // the first 32 frames are never kept
    EXPECT_TRUE(after.AfterFrames(kNow, c.askFirst, keep).began);
    values({500, 100});
    AfterTest::Steps steps = after.AfterFrames(kNow, c.askFirst, keep);
    EXPECT_EQ(keeps, c.rearm ? 1 : 0);
    if (c.answer) {
      EXPECT_FALSE(steps.stop || steps.rearmed) << "nothing before the question";
      EXPECT_TRUE(after.PostQuestion() && !after.PostQuestion()) << "posted once";
      EXPECT_FALSE(after.AskNow(false)) << "not behind another modal window";
      EXPECT_TRUE(after.PostQuestion() && after.AskNow(true));
      steps = after.Answered(*c.answer, {});
    }
    EXPECT_EQ(steps.stop, c.stop);
    EXPECT_EQ(steps.rearmed, c.rearmed);
    EXPECT_EQ(after.ShownPeak(), 500.0f) << "the ended test's, armed again or not";
    EXPECT_EQ(after.ShownVerdict().Failed(), false);
    if (!c.rearmed)
      continue;
    values({3, 70});
    EXPECT_TRUE(after.AfterFrames(kNow, c.askFirst, keep).began);
    EXPECT_EQ(after.ShownPeak(), 70.0f) << "the next test's own";
  }
}

} // namespace
} // namespace dynlog
