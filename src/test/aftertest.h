#pragma once
// What follows when the recording announces that a test began or ended by itself. A test a stop
// condition ended stops as by Stop, unless the conditions arm the next one by themselves: then the
// ended test is kept first (into the open series), a person at the window is asked before its
// values go unsaved, and the next test is armed; the ended test's peak and verdict stay in view
// until the next one begins. A test stopped by hand in a series is saved into it once the values
// still on their way are in.
//
// The question is never asked from inside the acquisition's tick: the tick asks for it to be
// posted, and it is asked from the message loop once no other modal window is open.
#include "base/localtime.h"
#include "test/recording.h"

#include <functional>
#include <optional>

namespace dynlog {

class AfterTest {
public:
  // Hears the recording's announcements for as long as it lives.
  explicit AfterTest(Recording& recording);

  // What the window shows or does now.
  struct Steps {
    bool began = false;   // a test began: the ended one's peak and verdict leave the view
    bool stop = false;    // as Stop: the unit stops, Save and the verdict follow
    bool rearmed = false; // armed again: shown as after Start
  };
  // After the frames of a tick (or a frame outside one): what the announcements heard since ask
  // for. `keep` saves the ended test into the open series before its values go; `askFirst` is
  // whether a person is at the window to be asked; `now` the local time, read only to arm again.
  Steps AfterFrames(const std::function<LocalTime()>& now, bool askFirst,
                    const std::function<void()>& keep);
  // True once when the question is to be posted to the message loop.
  bool PostQuestion();
  // From the posted message: whether to ask now. Not while another modal window is open (the
  // window is disabled then): a later tick posts it again.
  bool AskNow(bool windowEnabled);
  // The person answered: `mayDrop` when the ended test was saved or may go.
  Steps Answered(bool mayDrop, const LocalTime& now);
  // Start by hand: the ended test's peak and verdict leave the view, no question is left.
  void Started();

  // Stopped by hand in a series: saved once the values on their way are in.
  void KeepOnceQuiet() { keepDue_ = true; }
  // Whether the stopped test is to be saved into the series now: once the line is quiet, or before
  // anything that would change it. Only once.
  bool KeepNow(bool quiet = true);

  // The peak and the verdict to show: while armed again, the ended test's.
  std::optional<float> ShownPeak() const;
  Verdict ShownVerdict() const;
  // The held peak was reset (or is of another zero now): the ended test's goes too.
  void ForgetPeak() { endedPeak_.reset(); }

private:
  Steps Rearm(const LocalTime& now);

  Recording& recording_;
  bool began_ = false, ended_ = false; // heard since the last AfterFrames
  bool question_ = false, posted_ = false;
  bool keepDue_ = false;
  std::optional<float> endedPeak_;
  Verdict endedVerdict_;
  Recording::Subscription subscription_;
};

} // namespace dynlog
