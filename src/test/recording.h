#pragma once
// One recording of the measurement window, from its Start on: the setting it was taken at, its
// start time and state, the acquisition that thins the unit's frames into its values, the results
// of those values with the lamps of each, how many of them are saved, and the test it is: unit,
// part and people, limits, and the verdict on its maximum. The window shows it and forwards the
// person's actions; the modes without a person and a series use the same object. No system calls,
// so its rules are tested natively.
//
// The description (TestDescription) works as the setting does: the person's entries stand for the
// next Start, and for the recording itself until it is started. After Stop they still correct the
// recording (a typo in the comment, a limit) until it is saved; a saved test keeps what it was
// saved with. The first save of a test counts the next part number up, unless the person has
// typed another one meanwhile.
//
// Before the first Start the setting is the one Start will use (the window proposes it whenever
// the rate dialog or the port changes); from Start on it is the recording's own, whatever the
// dialog says later. The status line, the chart's time scale and both file heads read it here.
//
// Times count real seconds since the first value, by the unit's frame clock and across gaps by the
// PC's (FrameClock).
//
// A test can start and end by itself (TestConditions). With a start condition, Start arms the
// recording: the values are shown as they come, but only a ring of the pre-trigger's seconds of
// them is kept until the condition holds; the test then begins with the ring, and its times count
// from the value at which the condition held (0 s), the ring's before it negative. A stop
// condition ends the test as Stop does, but the values after it are not recorded. Subscribers
// hear the test's values only: none while armed, the ring's at the start.
//
// Subscribers also hear what becomes of the test as it happens (TestEvent): armed (waiting for
// its start, or zeroing first), begun (its first value recorded), stopped by hand, or ended by
// itself (a stop condition, or a zero before arming refused). Nobody needs to compare the
// recording's state before and after a call to learn it.
//
// The test's peak is the unit's, not the kept values': the maximum and the minimum of its results
// (and so the verdict, the held peak and the break) take every frame the test's values stand for,
// the ones the thinning passed over or the averaging merged too. The values, and what is drawn
// and written of them, stay the kept ones.
//
// Zero (Nullen) takes the mean of a half second off every frame's figure before anything else
// sees it: of frames that came after it was asked for, with the force at rest (ZeroOffset).

#include "base/localtime.h"
#include "test/acquisition.h"
#include "test/conditions.h"
#include "test/frameclock.h"
#include "test/lamps.h"
#include "test/recordingtexts.h"
#include "test/results.h"
#include "test/samplerate.h"
#include "test/trace.h"
#include "test/values.h"
#include "test/verdict.h"
#include "test/zero.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dynlog {

// What a recording is taken at.
struct RecordingSetting {
  SampleRate chosenRate = SampleRate::Hz10; // the rate dialog's choice
  bool averaging = false;
  int baud = 0;               // of the open port; 0 when none is open
  int decimalPlaces = 0;      // of the unit's values
  std::string port;           // "COM3"; empty when none is open
  std::string identification; // the unit's reply to the identification query

  // The rate really kept: the unit sends only 160 frames a second at 9600 baud.
  SampleRate KeptRate() const { return dynlog::KeptRate(chosenRate, FramesPerSecond(baud)); }
  double ValuesPerSecond() const { return RatePerSecond(KeptRate()); }
};

// The rate dialog's choice and the port's baud rate as they stand while frames are handled; read
// once per tick of the acquisition.
struct FrameSettings {
  SampleRate rate = SampleRate::Hz10;
  bool averaging = false;
  int baud = 0;
};

// What became of the test, announced as it happens.
struct TestEvent {
  enum class Kind {
    Armed,   // Start or an arming again: waiting for the start condition (or zeroing first)
    Began,   // the test's first value is recorded (with a start condition, the ring's first)
    Stopped, // Stop by hand; values still on their way are the test's
    Ended,   // by itself: a stop condition (reason), or the zero before arming was refused
  };
  Kind kind;
  std::optional<StopReason> reason;
  bool operator==(const TestEvent&) const = default;
};

class Recording {
public:
  // A kept value, its time in seconds since Start and its lamps.
  using ValueListener = std::function<void(float value, double seconds, Lamps lamps)>;
  // The extremes of the frames a kept value stands for, heard just before the value; after the
  // test's last value, those of the frames up to its break.
  using PeakListener = std::function<void(const FramePeaks& frames)>;
  // What became of the test, heard inside the call that did it (a frame, Start, Stop, Rearm): the
  // listener notes it and acts once that call has returned, never changing the recording in it.
  using TestListener = std::function<void(const TestEvent& event)>;

  static constexpr std::uint64_t kGapMs = FrameClock::kGapMs;
  using Gap = FrameClock::Gap;

  // Hears every value the test keeps, the ones past the recording's 10000 too, for as long as it
  // lives: from Start on (or, with a start condition, the pre-trigger's at the start), until a
  // stop condition ends the test or, after Stop, the last value on its way; and the test's
  // events. Any of the three listeners may be left empty.
  class Subscription {
  public:
    Subscription(Subscription&& other) noexcept
        : owner_(std::exchange(other.owner_, nullptr)), id_(other.id_) {}
    Subscription& operator=(Subscription&&) = delete;
    ~Subscription() { Cancel(); }
    void Cancel();

  private:
    friend class Recording;
    Subscription(Recording* owner, int id) : owner_(owner), id_(id) {}
    Recording* owner_;
    int id_;
  };
  [[nodiscard]] Subscription Subscribe(ValueListener listener, PeakListener peaks = {},
                                       TestListener tests = {});

  Recording() = default;
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  // The setting the next Start will use; it stands for the recording only until the first Start.
  void Propose(const RecordingSetting& next);
  // A new recording at this setting, begun at this local time: the values before it are no
  // longer counted and nothing of it is saved yet.
  void Start(const RecordingSetting& setting, const LocalTime& start);
  // The unit is told to stop; values still on their way are recorded (none while armed).
  void Stop();

  // The conditions the next Start applies (none: from Start to Stop by hand).
  void SetConditions(const TestConditions& conditions) { conditions_ = conditions; }
  const TestConditions& Conditions() const { return conditions_; }
  // The conditions the running or last test was taken under.
  const TestConditions& ConditionsInForce() const { return watch_.Conditions(); }
  // The zero the running or last test was taken with.
  std::optional<double> TestZero() const { return testZero_; }
  // Start, and every arming again after a test, zeroes on its first half second of frames before
  // it arms (or records); a refusal ends the recording at once and is kept in ZeroRefusal.
  void ZeroBeforeArming(bool on) { zeroFirst_ = on; }
  bool ZeroesBeforeArming() const { return zeroFirst_; }
  // Zero on the next half second of frames (the unit must be sending them); a German line when it
  // cannot be asked for now, while a test runs. A stopped test's values still on their way are no
  // longer waited for. Its outcome comes with the frames: ZeroDone, then ZeroRefusal; a zero
  // whose half second has not come kZeroWaitMs after it was asked (by the ticks' clock) is given
  // up with a refusal that says so.
  std::optional<std::string> AskZero();
  static constexpr std::uint64_t kZeroWaitMs = 3000;
  // Waiting for the half second of a zero asked for.
  bool ZeroAsked() const { return zeroAsked_; }
  // True once after a zero asked for (or one before arming) was taken or refused.
  bool TakeZeroDone() { return std::exchange(zeroDone_, false); }
  // The zero goes, except while a test runs (its values keep one zero); false then.
  bool ClearZero();
  // The zero taken off every value now, in the unit's figure.
  std::optional<double> ZeroNow() const {
    return zero_.IsSet() ? std::optional(zero_.Offset()) : std::nullopt;
  }
  const std::optional<std::string>& ZeroRefusal() const { return zeroRefusal_; }
  // Started and waiting for the start condition (zeroing first included).
  bool Armed() const;
  // Armed, but the force has not yet been below the start threshold (the input off): the test
  // starts only when it comes from below.
  bool WaitsForBelow() const { return Armed() && phase_ == Phase::Armed && watch_.WaitsForBelow(); }
  // What ended the test, when a stop condition did.
  std::optional<StopReason> EndReason() const { return endReason_; }
  // "Ende: Bruch bei 45 % des Maximums", or empty when no stop condition ended the test.
  std::string EndText() const;
  // After a test a stop condition ended: the next one at the same setting and conditions, armed
  // again and waiting for the start to pass afresh (a batch without a click). The ended test's
  // values go, so the caller saves them first. False when there is nothing to arm again.
  bool Rearm(const LocalTime& now);
  // A stop condition ended the test and the conditions ask for the next one by itself: the caller
  // keeps this one (a series saves it) and calls Rearm.
  bool RearmDue() const {
    return phase_ == Phase::Ended && endReason_ && watch_.Conditions().rearm;
  }

  // The highest frame (or with HoldMinimum the lowest) since Start, or since ResetPeak; after a
  // test it is the test's. Nothing until a frame came.
  std::optional<float> HeldPeak() const;
  void HoldMinimum(bool minimum) {
    holdMinimum_ = minimum;
    peak_.reset();
  }
  bool HoldsMinimum() const { return holdMinimum_; }
  void ResetPeak() { peak_.reset(); }
  // The person's unit, part and people and limits: for the next Start, and for this recording
  // while it is not running and not saved (see above).
  void Describe(const TestDescription& description);

  // One decoded frame, its value and status byte: thinned (and averaged) at the tick's settings.
  // Returns the kept value, if this frame gave one; it is recorded with its lamps while the
  // recording has room and goes to every listener.
  std::optional<double> TakeFrame(double value, const FrameSettings& tick, std::uint8_t status = 0);
  // The idle-tick rule of the 50 ms poll (see Acquisition). nowMs is the PC's monotonic clock at
  // this tick: the frames of the tick are taken as arriving then.
  bool BeginTick(std::uint64_t nowMs) {
    clock_.BeginTick(nowMs);
    WaitForZero();
    if (acquisition_.BeginTick())
      return true;
    lamps_.ClearAverage(); // the idle rule emptied the averaging
    return false;
  }
  void EndTick(bool anyByteReceived) { acquisition_.EndTick(anyByteReceived); }
  // After the rate dialog has closed: the frames buffered for averaging are dropped.
  void ClearAverage();

  // The file was written with every value recorded so far.
  void MarkSaved();
  // Whether it can go without a question: nothing was recorded since it was last saved (or since
  // Start), running or stopped.
  bool MayDropWithoutQuestion() const;

  MeasuringState State() const;
  const RecordingSetting& Setting() const { return setting_; }
  const LocalTime& StartTime() const { return start_; }
  int SampleCount() const { return acquisition_.SampleCount(); }
  std::span<const float> Values() const { return acquisition_.Recording(); }
  // The lamps of each recorded value, as many as Values.
  std::span<const Lamps> ValueLamps() const { return {valueLamps_.data(), Values().size()}; }
  // The lamps on the screen after the newest frame.
  Lamps LampsNow() const { return lamps_.Now(); }
  // The recorded values with their lamps and times, as a file takes them.
  ValueSeries SavedValues() const { return {Values(), ValueLamps(), SecondsOfValues()}; }
  const TestResults& Results() const { return results_; }
  const Acquisition& AcquisitionState() const { return acquisition_; }
  // The time of value `index` (from 0) in seconds since Start; the recorded ones and the next.
  double SecondsOf(std::uint64_t index) const;
  std::function<double(std::uint64_t)> SecondsOfValues() const {
    return [this](std::uint64_t index) { return SecondsOf(index); };
  }
  const std::vector<Gap>& Gaps() const { return clock_.Gaps(); }
  GapSummary GapTotal() const { return clock_.GapTotal(); }
  // Every frame taken since the recording object was made, skipped or kept: a watcher of the line
  // tells silence by it.
  std::uint64_t FrameCount() const { return clock_.Frames(); }

  // The recording's own description, and the one the next Start takes.
  const TestDescription& Description() const { return test_; }
  const TestDescription& NextDescription() const { return next_; }
  // The verdict on results (the recording's own, or those of the values a file keeps) under the
  // recording's limits.
  Verdict Judge(const TestResults& results) const;
  Verdict CurrentVerdict() const { return Judge(results_); }

  // The status line's figures.
  StatusLine StatusFigures() const;
  // The unit's frames per second when the results' extremes are those of every frame rather than
  // of the kept values, which hold fewer of them (thinned or averaged); 0 otherwise.
  int PeakFramesPerSecond() const;
  // How the results and files give times and figures, the unit included.
  ResultsFormat Format(const NumberSeparators& separators) const;

private:
  void TakeSetting(const RecordingSetting& setting);
  void Unsubscribe(int id);
  void Announce(TestEvent::Kind kind, std::optional<StopReason> reason = {});
  void Reset(const LocalTime& start);
  bool TestRuns() const; // values are being recorded (or zeroed for) right now
  void Arm();
  void StartZeroing();
  // A zero asked for gives up once its wait is over.
  void WaitForZero();
  void EndZeroing();
  void EndByCondition(StopReason reason);
  // The test begins at the kept value `index` (of the values kept since Start): the ring before
  // it and the value itself are recorded, and the times count from it.
  void BeginTest(std::uint64_t index, float value, Lamps lamps, const FramePeaks& frames);
  void RecordValue(float value, double seconds, Lamps lamps, const FramePeaks& frames);
  // Every listener hears a value of the test and the frames it stands for.
  void Hear(float value, double seconds, Lamps lamps, const FramePeaks& frames);
  // A break between two kept values: the frames since the last one are the test's last.
  void EndAtBreak(double frameSeconds);
  void Hold(float value);

  // The frames since the last kept value, by their place among them (1 the first).
  struct FrameSpan {
    float max = 0, min = 0;
    std::uint64_t maxAt = 0, minAt = 0, frames = 0;
    void Take(float value) {
      ++frames;
      if (frames == 1 || value > max) {
        max = value;
        maxAt = frames;
      }
      if (frames == 1 || value < min) {
        min = value;
        minAt = frames;
      }
    }
    // Timed and emptied: frame `at` at time(at).
    template <class Time> FramePeaks Take(Time time) {
      FramePeaks peaks;
      if (frames > 0) {
        peaks.Take(max, time(maxAt));
        peaks.Take(min, time(minAt));
      }
      *this = FrameSpan{};
      return peaks;
    }
  };

  RecordingSetting setting_;
  std::string unitText_; // the identification as the status line names it
  LocalTime start_;
  Acquisition acquisition_;
  TestResults results_;
  int savedCount_ = 0;
  FrameClock clock_;
  struct Listener {
    int id;
    ValueListener values;
    PeakListener peaks;
    TestListener tests;
  };
  std::vector<Listener> listeners_;
  FrameSpan span_;
  int nextListener_ = 0;
  LampTrack lamps_;
  std::array<Lamps, Acquisition::kRecordSlots> valueLamps_{};
  TestDescription test_, next_;
  bool counted_ = false; // the part number was counted up for this test

  // One state from Start on. Free: before the first Start, every value recorded and heard as it
  // comes. Zeroing: the zero before arming. Armed: the ring fills until the start condition holds
  // (started by hand, the first value begins the test). Test: recorded. Stopping: stopped by hand,
  // the values still on their way are the test's (its first too, when none came yet). Ended: by
  // hand or by itself; the values are shown only.
  enum class Phase { Free, Zeroing, Armed, Test, Stopping, Ended };
  struct Kept {
    float value;
    Lamps lamps;
    FramePeaks frames;
  };
  // A kept value (in the acquisition's `slot`, the first since Start or not) as the phase takes
  // it: recorded, held in the ring, or only shown; `broke`: a break at its own frame.
  void TakeValue(const Kept& kept, double seconds, std::size_t slot, bool firstValue,
                 std::optional<StopReason> broke);
  Phase phase_ = Phase::Free;
  TestConditions conditions_;
  ConditionWatch watch_{TestConditions{}};
  PreTriggerRing<Kept> ring_{0};
  LocalTime armedAt_;
  std::optional<StopReason> endReason_;
  bool zeroFirst_ = false;
  bool zeroAsked_ = false; // the next half second of frames is the zero's
  bool zeroDone_ = false;
  std::optional<std::uint64_t> zeroAskedMs_; // the tick after the ask
  ZeroOffset zero_;
  int zeroFramesPerSecond_ = 320;
  std::optional<std::string> zeroRefusal_;
  std::optional<double> testZero_; // the zero the test was taken with
  std::optional<float> peak_;
  bool holdMinimum_ = false;
};

} // namespace dynlog
