// A test that starts and ends by itself, on sequences of kept values.
#include "test/conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dynlog {
namespace {

using Kind = StartCondition::Kind;

// The steps of a sequence as letters: w waiting, S started, r running, E its last value, B ended
// before the value; 10 values a second from the start on.
std::string Steps(ConditionWatch& watch, const std::vector<double>& values,
                  const std::vector<bool>& inputs = {}) {
  std::string steps;
  double seconds = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto outcome = watch.Take(values[i], i < inputs.size() && inputs[i], seconds);
    seconds = outcome.step == ConditionWatch::Step::Started ? 0.1 : seconds + 0.1;
    steps += "wSrEB"[static_cast<int>(outcome.step)];
  }
  return steps;
}

TEST(ConditionWatch, StartsAndStopsOnTheEdgesItIsGiven) {
  struct Case {
    const char* what;
    TestConditions conditions;
    std::vector<double> values;
    std::vector<bool> inputs;
    std::string steps;
  };
  const StartCondition above50{Kind::ForceAbove, 50, 0};
  const StopCondition breakAt40{40.0, 200, {}, false, {}};
  const Case cases[] = {
      {"armed above: it must come from below", {above50, {}, false}, {60, 70, 40, 60}, {}, "wwwS"},
      {"never crossed", {above50, {}, false}, {10, 50, 49.9, 50}, {}, "wwww"},
      {"crossed and fallen back",
       {above50, {{}, 0, 40, false, {}}, false},
       {10, 60, 39},
       {},
       "wSE"},
      {"fall-back level not yet reached",
       {above50, {{}, 0, 80, false, {}}, false},
       {0, 60, 70, 85, 79},
       {},
       "wSrrE"},
      {"a break at exactly the percentage is none",
       {above50, breakAt40, false},
       {0, 100, 200, 80, 79.9, 500},
       {},
       "wSrrEw"},
      {"no break below the peak it must pass",
       {above50, breakAt40, false},
       {0, 100, 199.9, 10},
       {},
       "wSrr"},
      {"the trigger input's edges",
       {{Kind::InputOn, 0, 0}, {{}, 0, {}, true, {}}, false},
       {1, 2, 3, 4, 5},
       {true, false, true, true, false},
       "wwSrE"},
      {"on input, waits for it to switch on",
       {{Kind::InputOn, 0, 0}, {}, false},
       {1, 2, 3},
       {false, false, true},
       "wwS"},
      {"a time keeps its whole length",
       {{}, {{}, 0, {}, false, 0.3}, false},
       {1, 2, 3, 4, 5},
       {},
       "SrrBw"},
  };
  for (const auto& c : cases) {
    ConditionWatch watch(c.conditions);
    EXPECT_EQ(Steps(watch, c.values, c.inputs), c.steps) << c.what;
  }
}

TEST(ConditionWatch, ArmedAgainWaitsForTheForceToFallAndRise) {
  ConditionWatch watch({{Kind::ForceAbove, 50, 0}, {{}, 0, {}, false, 0.2}, true});
  EXPECT_EQ(Steps(watch, {0, 60, 70, 80}), "wSrB");
  watch.Arm();
  EXPECT_EQ(Steps(watch, {90, 55, 40, 60}), "wwwS") << "still loaded: no test until it rose again";
}

TEST(ConditionWatch, NamesWhatEndedTheTestAndRefusesWhatCannotWork) {
  TestConditions c;
  c.stop.breakPercent = 45;
  c.stop.fallBelow = 5;
  EXPECT_EQ(EndText(StopReason::Break, c, 1), "Ende: Bruch bei 45 % des Maximums");
  c.stop.breakPercent = 37.5;
  EXPECT_EQ(EndText(StopReason::Break, c, 1), "Ende: Bruch bei 37,5 % des Maximums");
  EXPECT_EQ(EndText(StopReason::FellBelow, c, 1), "Ende: unter 5,0");
  EXPECT_EQ(StartText({Kind::ForceAbove, 50, 0.5}, 2), "Kraft über 50,00; 0,5 s davor");

  const struct {
    TestConditions conditions;
    bool refused;
  } combinations[] = {
      {{{Kind::Manual, 0, 0.5}, {}, false}, true},       // a pre-trigger without a start
      {{{Kind::ForceAbove, 1, 10}, {}, false}, false},   // the longest pre-trigger
      {{{Kind::ForceAbove, 1, 10.01}, {}, false}, true}, // beyond it
      {{{}, {-0.1, 0, {}, false, {}}, false}, true},
      {{{}, {100.0, 0, {}, false, {}}, false}, false},
      {{{}, {100.1, 0, {}, false, {}}, false}, true},
      {{{Kind::ForceAbove, 1, 0}, {}, true}, true}, // armed again without a stop condition
  };
  for (const auto& c : combinations)
    EXPECT_EQ(c.conditions.Refusal().has_value(), c.refused)
        << c.conditions.start.preSeconds << " " << c.conditions.stop.breakPercent.value_or(-1);
}

TEST(PreTriggerRing, KeepsTheLastValuesOldestFirstAtEveryRate) {
  PreTriggerRing<int> ring(PreTriggerCapacity(0.5, 10));
  for (int i = 1; i <= 7; ++i)
    ring.Push(i);
  EXPECT_EQ(ring.Take(), (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_EQ(ring.Count(), 0u);
  ring.Push(8);
  EXPECT_EQ(ring.Take(), std::vector<int>{8}) << "not yet full: what there is";
  for (const double rate : {320.0, 160.0, 80.0, 40.0, 20.0, 10.0, 5.0, 2.5})
    EXPECT_EQ(PreTriggerCapacity(10, rate), static_cast<std::size_t>(10 * rate)) << rate;
  EXPECT_EQ(PreTriggerCapacity(0.5, 2.5), 1u);
  EXPECT_EQ(PreTriggerCapacity(0, 320), 0u);
}

} // namespace
} // namespace dynlog
