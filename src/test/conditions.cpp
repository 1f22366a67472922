#include "test/conditions.h"

#include "base/numberformat.h"

#include <algorithm>
#include <cmath>

namespace dynlog {

namespace {

std::string Force(double value, int decimalPlaces) {
  return FormatNumber(value, decimalPlaces, kDisplaySignificantDigits, GermanSeparators());
}

// A percentage or a time as the person gave it: up to three decimals, none shown when whole.
std::string Figure(double value) {
  std::string text = FormatNumber(value, 3, 15, NumberSeparators{",", ""});
  if (text.find(',') != std::string::npos) {
    while (text.back() == '0')
      text.pop_back();
    if (text.back() == ',')
      text.pop_back();
  }
  return text;
}

} // namespace

std::optional<std::string> TestConditions::Refusal() const {
  if (!(start.preSeconds >= 0 && start.preSeconds <= kMaxPreSeconds))
    return "Die Vorlaufzeit muss zwischen 0 und 10 Sekunden liegen.";
  if (start.preSeconds > 0 && !StartsByItself())
    return "Eine Vorlaufzeit braucht eine Startbedingung.";
  if (stop.breakPercent && !(*stop.breakPercent >= 0 && *stop.breakPercent <= 100))
    return "Der Bruch muss zwischen 0 und 100 % des Maximums liegen.";
  if (stop.afterSeconds && !(*stop.afterSeconds > 0))
    return "Die Prüfdauer muss größer als 0 Sekunden sein.";
  if (rearm && !(StartsByItself() && StopsByItself()))
    return "Von selbst wieder scharf schalten geht nur mit einer Start- und einer Stoppbedingung.";
  return std::nullopt;
}

std::string EndCause(StopReason reason, const TestConditions& conditions, int decimalPlaces) {
  switch (reason) {
  case StopReason::Break:
    return std::string("Bruch bei ") + Figure(conditions.stop.breakPercent.value_or(0)) +
           " % des Maximums";
  case StopReason::FellBelow:
    return std::string("unter ") + Force(conditions.stop.fallBelow.value_or(0), decimalPlaces);
  case StopReason::InputOff:
    return "T-Eingang";
  case StopReason::Time:
    return "Zeit";
  }
  return {};
}

std::string EndText(StopReason reason, const TestConditions& conditions, int decimalPlaces) {
  return std::string("Ende: ") + EndCause(reason, conditions, decimalPlaces);
}

std::string StartConditionText(const StartCondition& start, int decimalPlaces) {
  switch (start.kind) {
  case StartCondition::Kind::Manual:
    break;
  case StartCondition::Kind::ForceAbove:
    return std::string("Kraft über ") + Force(start.threshold, decimalPlaces);
  case StartCondition::Kind::InputOn:
    return "T-Eingang";
  }
  return "von Hand";
}

std::string WaitForBelowText(const StartCondition& start, int decimalPlaces, ForceUnit unit) {
  if (start.kind == StartCondition::Kind::InputOn)
    return "Wartet, bis der T-Eingang aus ist";
  return "Wartet, bis die Kraft unter " + WithUnit(Force(start.threshold, decimalPlaces), unit) +
         " fällt";
}

std::string StartText(const StartCondition& start, int decimalPlaces) {
  std::string text = StartConditionText(start, decimalPlaces);
  if (start.kind == StartCondition::Kind::Manual)
    return text;
  text += "; ";
  text += Figure(start.preSeconds);
  text += " s davor";
  return text;
}

ConditionWatch::ConditionWatch(const TestConditions& conditions) : conditions_(conditions) {}

void ConditionWatch::Arm() {
  phase_ = Phase::Waiting;
}

ConditionWatch::Outcome ConditionWatch::Take(double value, bool input, double secondsSinceStart) {
  const bool above = value > conditions_.start.threshold;
  const bool risen = above && wasAbove_ == false;
  const bool switchedOn = input && inputWasOn_ == false;
  const bool switchedOff = !input && inputWasOn_ == true;
  wasAbove_ = above;
  inputWasOn_ = input;

  bool startsNow = false;
  switch (phase_) {
  case Phase::Ended:
    return {Step::Waiting, std::nullopt};
  case Phase::Waiting:
    startsNow = conditions_.start.kind == StartCondition::Kind::Manual ||
                (conditions_.start.kind == StartCondition::Kind::ForceAbove && risen) ||
                (conditions_.start.kind == StartCondition::Kind::InputOn && switchedOn);
    if (!startsNow)
      return {Step::Waiting, std::nullopt};
    phase_ = Phase::Running;
    peak_ = value;
    reachedFallLevel_ = false;
    secondsSinceStart = 0; // the caller cannot know yet that the test starts here
    break;
  case Phase::Running:
    break;
  }

  if (const auto reason = StopAt(value, switchedOff, secondsSinceStart)) {
    phase_ = Phase::Ended;
    return {*reason == StopReason::Time ? Step::StoppedBefore : Step::Stopped, reason};
  }
  return {startsNow ? Step::Started : Step::Running, std::nullopt};
}

std::optional<StopReason> ConditionWatch::Frame(double value) {
  if (phase_ != Phase::Running)
    return std::nullopt;
  peak_ = std::max(peak_, value);
  if (!BreaksAt(value))
    return std::nullopt;
  phase_ = Phase::Ended;
  return StopReason::Break;
}

bool ConditionWatch::BreaksAt(double value) const {
  // Multiplied out, so that a value at exactly the percentage is no break.
  const StopCondition& stop = conditions_.stop;
  return stop.breakPercent && peak_ > 0 && peak_ >= stop.breakMinPeak &&
         value * 100 < peak_ * *stop.breakPercent;
}

bool ConditionWatch::WaitsForBelow() const {
  if (phase_ != Phase::Waiting)
    return false;
  switch (conditions_.start.kind) {
  case StartCondition::Kind::ForceAbove:
    return wasAbove_ == true;
  case StartCondition::Kind::InputOn:
    return inputWasOn_ == true;
  case StartCondition::Kind::Manual:
    break;
  }
  return false;
}

std::optional<StopReason> ConditionWatch::StopAt(double value, bool switchedOff,
                                                 double secondsSinceStart) {
  const StopCondition& stop = conditions_.stop;
  if (stop.afterSeconds && secondsSinceStart >= *stop.afterSeconds)
    return StopReason::Time;
  peak_ = std::max(peak_, value);
  if (stop.inputOff && switchedOff)
    return StopReason::InputOff;
  if (stop.fallBelow) {
    if (value >= *stop.fallBelow)
      reachedFallLevel_ = true;
    else if (reachedFallLevel_)
      return StopReason::FellBelow;
  }
  if (BreaksAt(value))
    return StopReason::Break;
  return std::nullopt;
}

std::size_t PreTriggerCapacity(double preSeconds, double valuesPerSecond) {
  if (!(preSeconds > 0) || !(valuesPerSecond > 0))
    return 0;
  return static_cast<std::size_t>(std::llround(preSeconds * valuesPerSecond));
}

} // namespace dynlog
