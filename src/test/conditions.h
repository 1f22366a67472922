#pragma once
// A test that starts and ends by itself: the conditions the person sets, and the watch that applies
// them to the kept values one by one. Pure logic, so its rules are tested natively.
//
// A start condition holds on an edge: the force passing from at or below the threshold to above
// it, or the trigger input switching on. An edge needs the state before it: armed while the force
// is already up (or the input on), the watch waits until it has seen the force at or below the
// threshold (the input off) and then for it to rise again. A test started on a part already
// under load would lack its rise and its pre-trigger, and be judged all the same. An armed-again
// watch goes on from the last test's values, so a stop by time with the part still loaded does
// not start the next test on the spot either.
//
// A stop condition is checked only once the test has started. The value on which it holds is the
// test's last, except for the time: a test of 2 s at 10 values per second keeps its 20 values.
// The break is watched on every frame (Frame): its peak is the test's peak, which the kept values
// may miss, and the break itself may fall between two kept values.

#include "test/forceunit.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace dynlog {

struct StartCondition {
  enum class Kind { Manual, ForceAbove, InputOn };
  Kind kind = Kind::Manual;
  double threshold = 0;  // ForceAbove, in the unit's figure
  double preSeconds = 0; // 0 to 10: the values kept from before the start
};

struct StopCondition {
  std::optional<double> breakPercent; // below this percentage of the test's peak …
  double breakMinPeak = 0;            // … once the peak has reached this force
  std::optional<double> fallBelow;    // back below this force, once it was at or above it
  bool inputOff = false;              // the trigger input switches off
  std::optional<double> afterSeconds; // the test's length
};

struct TestConditions {
  static constexpr double kMaxPreSeconds = 10;

  StartCondition start;
  StopCondition stop;
  bool rearm = false; // after a stop by a condition, wait for the next start by itself

  bool StartsByItself() const { return start.kind != StartCondition::Kind::Manual; }
  bool StopsByItself() const {
    return stop.breakPercent || stop.fallBelow || stop.inputOff || stop.afterSeconds;
  }
  // A German line naming what cannot work together, or nothing.
  std::optional<std::string> Refusal() const;
};

enum class StopReason { Break, FellBelow, InputOff, Time };

// "Ende: Bruch bei 45 % des Maximums", "Ende: Zeit", …; the force with the unit's decimals.
std::string EndText(StopReason reason, const TestConditions& conditions, int decimalPlaces);
// The same without "Ende: ", as a file head names it.
std::string EndCause(StopReason reason, const TestConditions& conditions, int decimalPlaces);
// The start condition and the pre-trigger ("Kraft über 50,0; 0,5 s davor").
std::string StartText(const StartCondition& start, int decimalPlaces);
// Armed while the force is above the start threshold (the input on): "Wartet, bis die Kraft unter
// 20,0 N fällt", "Wartet, bis der T-Eingang aus ist".
std::string WaitForBelowText(const StartCondition& start, int decimalPlaces, ForceUnit unit);
// The start condition alone ("Kraft über 50,0", "T-Eingang", "von Hand").
std::string StartConditionText(const StartCondition& start, int decimalPlaces);

class ConditionWatch {
public:
  enum class Step {
    Waiting,       // armed: the value is not part of a test
    Started,       // the start condition holds at this value: the test's first value at 0 s
    Running,       // a value of the running test
    Stopped,       // the test's last value
    StoppedBefore, // the test ended before this value, which is not part of it
  };
  struct Outcome {
    Step step = Step::Waiting;
    std::optional<StopReason> reason; // with Stopped and StoppedBefore
  };

  explicit ConditionWatch(const TestConditions& conditions);

  // One kept value, the trigger input at it, and its seconds since the test's start (read only
  // while the test runs; the value that starts it is at 0 s).
  Outcome Take(double value, bool input, double secondsSinceStart);
  // Every frame of the unit while the test runs, kept or not: the break, when it ends the test
  // at this frame (the watch has then ended).
  std::optional<StopReason> Frame(double value);
  // Armed, and the force was above the threshold (the input on) when last seen: the start waits
  // for it to fall below (switch off) first.
  bool WaitsForBelow() const;
  // Waiting for the next start; the edges go on from the last value seen.
  void Arm();

  bool Waiting() const { return phase_ == Phase::Waiting; }
  bool Running() const { return phase_ == Phase::Running; }
  const TestConditions& Conditions() const { return conditions_; }

private:
  enum class Phase { Waiting, Running, Ended };
  std::optional<StopReason> StopAt(double value, bool switchedOff, double secondsSinceStart);
  bool BreaksAt(double value) const;

  TestConditions conditions_;
  Phase phase_ = Phase::Waiting;
  // The last value was above the start threshold, the input on; nothing before the first value.
  std::optional<bool> wasAbove_;
  std::optional<bool> inputWasOn_;
  double peak_ = 0;
  bool reachedFallLevel_ = false;
};

// The values kept while armed, at most the pre-trigger's length: the oldest goes when it is full.
template <class T> class PreTriggerRing {
public:
  explicit PreTriggerRing(std::size_t capacity) : slots_(capacity) {}
  void Push(const T& item) {
    if (slots_.empty())
      return;
    slots_[next_] = item;
    next_ = (next_ + 1) % slots_.size();
    count_ = count_ < slots_.size() ? count_ + 1 : count_;
  }
  // Oldest first; the ring is empty afterwards.
  std::vector<T> Take() {
    std::vector<T> items;
    items.reserve(count_);
    for (std::size_t i = 0; i < count_; ++i)
      items.push_back(slots_[(next_ + slots_.size() - count_ + i) % slots_.size()]);
    count_ = 0;
    return items;
  }
  std::size_t Count() const { return count_; }

private:
  std::vector<T> slots_;
  std::size_t next_ = 0;
  std::size_t count_ = 0;
};

// How many kept values the pre-trigger holds at this rate.
std::size_t PreTriggerCapacity(double preSeconds, double valuesPerSecond);

} // namespace dynlog
