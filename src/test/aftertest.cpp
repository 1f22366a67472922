#include "test/aftertest.h"

namespace dynlog {

AfterTest::AfterTest(Recording& recording)
    : recording_(recording),
      subscription_(recording.Subscribe({}, {}, [this](const TestEvent& event) {
        if (event.kind == TestEvent::Kind::Began)
          began_ = true;
        else if (event.kind == TestEvent::Kind::Ended)
          ended_ = true;
      })) {}

AfterTest::Steps AfterTest::AfterFrames(const std::function<LocalTime()>& now, bool askFirst,
                                        const std::function<void()>& keep) {
  Steps steps;
  if (std::exchange(began_, false)) {
    endedPeak_.reset();
    endedVerdict_ = {};
    steps.began = true;
  }
  if (!std::exchange(ended_, false) || recording_.State() == MeasuringState::Running)
    return steps; // nothing ended, or it was armed again within the same frames
  if (!recording_.RearmDue()) {
    steps.stop = true;
    return steps;
  }
  // Armed again, the unit goes on sending: the next part's start must be seen. The ended test
  // is kept first, in the series or after the question a Start would ask; until it is answered
  // the ended test stays as it is, its values only shown.
  keepDue_ = false;
  keep();
  if (askFirst && !recording_.MayDropWithoutQuestion()) {
    question_ = true;
    return steps;
  }
  const Steps rearmed = Rearm(now());
  steps.rearmed = rearmed.rearmed;
  return steps;
}

bool AfterTest::PostQuestion() {
  if (!question_ || posted_)
    return false;
  posted_ = true;
  return true;
}

bool AfterTest::AskNow(bool windowEnabled) {
  posted_ = false;
  question_ = question_ && recording_.RearmDue(); // a Start meanwhile asked itself
  if (!question_ || !windowEnabled)
    return false;
  question_ = false;
  return true;
}

AfterTest::Steps AfterTest::Answered(bool mayDrop, const LocalTime& now) {
  if (!mayDrop || !recording_.RearmDue())
    return {.stop = recording_.State() != MeasuringState::Running};
  return Rearm(now);
}

AfterTest::Steps AfterTest::Rearm(const LocalTime& now) {
  const std::optional<float> peak = recording_.HeldPeak();
  const Verdict verdict = recording_.CurrentVerdict();
  if (!recording_.Rearm(now))
    return {};
  began_ = false;
  endedPeak_ = peak;
  endedVerdict_ = verdict;
  return {.rearmed = true};
}

void AfterTest::Started() {
  question_ = false;
  endedPeak_.reset();
  endedVerdict_ = {};
}

bool AfterTest::KeepNow(bool quiet) {
  if (!keepDue_ || !quiet)
    return false;
  keepDue_ = false;
  return true;
}

std::optional<float> AfterTest::ShownPeak() const {
  return endedPeak_ && recording_.Armed() ? endedPeak_ : recording_.HeldPeak();
}

Verdict AfterTest::ShownVerdict() const {
  if (recording_.State() == MeasuringState::Stopped)
    return recording_.CurrentVerdict();
  return recording_.Armed() ? endedVerdict_ : Verdict{};
}

} // namespace dynlog
