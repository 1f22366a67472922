// The measurement window's part of a test that starts and ends by itself, of zero and of the
// held peak. The rules are the recording's; here they are shown and set.
#include "window/Ukm470a.h"

#include "base/errorbox.h"
#include "link/settingsfile.h"
#include "window/conditionsdialog.h"
#include "window/csvfilewriter.h"
#include "window/localeformat.h"

void Tfkm470a::ButtonBedingungenClick() {
  if (!conditionsDialog_)
    conditionsDialog_ = std::make_unique<ConditionsDialog>(Handle());
  if (const auto taken =
          conditionsDialog_->Ask({recording_.Conditions(), recording_.HoldsMinimum()}))
    TakeConditions(*taken);
}

void Tfkm470a::TakeConditions(const dynlog::ConditionSettings& settings) {
  recording_.SetConditions(settings.conditions); // from the next Start on
  if (settings.holdMinimum != recording_.HoldsMinimum()) {
    recording_.HoldMinimum(settings.holdMinimum);
    endedPeak_.reset();
  }
  if (AskBeforeDiscarding)
    dynlog::WriteConditionSettings(km470::SettingsPath(), settings);
  ShowHeldPeak();
}

void Tfkm470a::ButtonNullenClick() {
  if (const auto refusal = recording_.Zero()) {
    base::ShowErrorBox(*refusal);
    return;
  }
  ShowZero();
}

void Tfkm470a::ButtonNullAusClick() {
  if (!recording_.ClearZero()) {
    base::ShowErrorBox("W\xC3\xA4hrend einer Aufnahme bleibt die Nullung.");
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
  // is kept first, in the series or after the question a Start would ask.
  if (series_)
    SaveToSeries();
  if (!MayDropRecording(false) || !recording_.RearmDue()) {
    if (recording_.State() != dynlog::MeasuringState::Running)
      Button2Click();
    return;
  }
  const std::optional<float> peak = recording_.HeldPeak();
  const dynlog::Verdict verdict = recording_.CurrentVerdict();
  if (!recording_.Rearm(dynlog::LocalTimeNow()))
    return;
  endedPeak_ = peak;
  endedVerdict_ = verdict;
  ShowStarted();
}
