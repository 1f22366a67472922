// The measurement window's part of a test that starts and ends by itself, of zero and of the
// held peak. The rules are the recording's; here they are shown and set.
#include "window/Ukm470a.h"

#include "base/errorbox.h"
#include "base/localeformat.h"
#include "files/csvfilewriter.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "window/conditionsdialog.h"

void Tfkm470a::ButtonBedingungenClick() {
  if (!conditionsDialog_)
    conditionsDialog_ = std::make_unique<ConditionsDialog>(Handle());
  if (const auto taken = conditionsDialog_->Ask(
          {recording_.Conditions(), recording_.HoldsMinimum(), recording_.ZeroesBeforeArming()}))
    TakeConditions(*taken);
}

void Tfkm470a::TakeConditions(const dynlog::ConditionSettings& settings) {
  recording_.SetConditions(settings.conditions); // from the next Start on
  recording_.ZeroBeforeArming(settings.zeroFirst);
  if (settings.holdMinimum != recording_.HoldsMinimum()) {
    recording_.HoldMinimum(settings.holdMinimum);
    endedPeak_.reset();
  }
  if (PersonAtWindow())
    dynlog::WriteConditionSettings(settings_, settings);
  ShowHeldPeak();
}

void Tfkm470a::ButtonNullenClick() {
  if (FirstStart || !ucom::ComIsOpen()) {
    base::ShowErrorBox("Nullen geht erst, wenn Messwerte kommen. Erst mit Start verbinden.");
    return;
  }
  if (recording_.ZeroAsked())
    return; // one half second at a time
  if (seriesSavePending_)
    SaveToSeries(); // the stopped test's values on their way are not waited for any longer
  if (const auto refusal = recording_.AskZero()) {
    base::ShowErrorBox(*refusal);
    return;
  }
  // The zero is of values that come after the click. A stopped unit is asked for them and
  // stopped again once they are in.
  if (recording_.State() != dynlog::MeasuringState::Running) {
    km470::SendStartCommand();
    zeroStream_ = true;
  }
  ButtonNullen.SetEnabled(false);
  textsEvery_.Release();
  ShowStatus();
}

void Tfkm470a::WatchZero() {
  if (!recording_.TakeZeroDone())
    return;
  if (zeroStream_) {
    km470::SendStopCommand();
    zeroStream_ = false;
  }
  ButtonNullen.SetEnabled(true);
  if (const auto refusal = recording_.ZeroRefusal()) // not from inside the tick
    Post([refusal] { base::ShowErrorBox(*refusal); });
  ShowZero();
}

void Tfkm470a::ButtonNullAusClick() {
  if (!recording_.ClearZero()) {
    base::ShowErrorBox("Während einer Aufnahme bleibt die Nullung.");
    return;
  }
  ShowZero();
}

void Tfkm470a::ShowZero() {
  // The peak held so far was on the other zero.
  recording_.ResetPeak();
  endedPeak_.reset();
  ShowHeldPeak();
  ButtonNullAus.SetEnabled(recording_.ZeroNow().has_value());
  textsEvery_.Release();
  ShowStatus();
}

void Tfkm470a::ResetHeldPeak() {
  recording_.ResetPeak();
  endedPeak_.reset();
  ShowHeldPeak();
}

bool Tfkm470a::FormKey(WPARAM key) {
  if (key != 'M')
    return false;
  ResetHeldPeak();
  return true;
}

void Tfkm470a::ShowHeldPeak() {
  const std::optional<float> peak =
      endedPeak_ && recording_.Armed() ? endedPeak_ : recording_.HeldPeak();
  if (!peak) {
    PeakLabel.SetText("");
    return;
  }
  std::string text = recording_.HoldsMinimum() ? "Min. " : "Max. ";
  text +=
      dynlog::FormatNumber(*peak, DecimalPlaces, dynlog::kDisplaySignificantDigits, separators_);
  const std::string_view unit = dynlog::UnitSymbol(recording_.Description().unit);
  if (!unit.empty()) {
    text += ' ';
    text += unit;
  }
  PeakLabel.SetText(text);
}

void Tfkm470a::AfterConditions() {
  conditionsChanged_ = false;
  if (recording_.State() == dynlog::MeasuringState::Running) {
    // A test began: the one before it leaves the view.
    endedPeak_.reset();
    endedVerdict_ = {};
    ShowVerdict();
    marks_.Mark(dynlog::WindowPart::Results);
    textsEvery_.Release();
    ShowStatus();
    return;
  }
  if (!recording_.RearmDue()) {
    Button2Click(); // ended as by Stop: the unit stops, Save and the verdict follow
    return;
  }
  // Armed again, the unit goes on sending: the next part's start must be seen. The ended test
  // is kept first, in the series or after the question a Start would ask. That question is not
  // asked inside the tick: the tick asks for it, and until it is answered the ended test stays
  // as it is, its values only shown.
  if (series_)
    SaveToSeries();
  if (PersonAtWindow() && !recording_.MayDropWithoutQuestion()) {
    rearmQuestion_ = true;
    return;
  }
  Rearm();
}

void Tfkm470a::AskBeforeRearm() {
  // Asked from the message loop, but not from inside another modal window's: the next tick
  // posts it again once that is closed.
  rearmQuestion_ = rearmQuestion_ && recording_.RearmDue(); // a Start meanwhile asked itself
  if (!rearmQuestion_ || !IsWindowEnabled(Handle()))
    return;
  rearmQuestion_ = false;
  if (!MayDropRecording(false) || !recording_.RearmDue()) {
    if (recording_.State() != dynlog::MeasuringState::Running)
      Button2Click();
    return;
  }
  Rearm();
}

void Tfkm470a::Rearm() {
  const std::optional<float> peak = recording_.HeldPeak();
  const dynlog::Verdict verdict = recording_.CurrentVerdict();
  if (!recording_.Rearm(dynlog::LocalTimeNow()))
    return;
  endedPeak_ = peak;
  endedVerdict_ = verdict;
  ShowStarted();
}
