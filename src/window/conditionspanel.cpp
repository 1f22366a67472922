#include "window/conditionspanel.h"

#include "base/errorbox.h"
#include "test/recordingtexts.h"
#include "window/conditionsdialog.h"

#include <utility>

ConditionsPanel::ConditionsPanel(HWND owner, Parts parts, Controls controls,
                                 std::function<void()> showTexts, std::function<void()> stopWaiting)
    : owner_(owner), parts_(parts), controls_(controls), showTexts_(std::move(showTexts)),
      stopWaiting_(std::move(stopWaiting)) {}

ConditionsPanel::~ConditionsPanel() = default;

void ConditionsPanel::Ask() {
  if (!dialog_)
    dialog_ = std::make_unique<ConditionsDialog>(owner_);
  const dynlog::Recording& r = parts_.recording;
  if (const auto taken = dialog_->Ask({r.Conditions(), r.HoldsMinimum(), r.ZeroesBeforeArming()}))
    Take(*taken);
}

void ConditionsPanel::Take(const dynlog::ConditionSettings& settings) {
  dynlog::Recording& r = parts_.recording;
  r.SetConditions(settings.conditions); // from the next Start on
  r.ZeroBeforeArming(settings.zeroFirst);
  if (settings.holdMinimum != r.HoldsMinimum()) {
    r.HoldMinimum(settings.holdMinimum);
    parts_.after.ForgetPeak();
  }
  if (parts_.runMode == ui::RunMode::Person)
    dynlog::WriteConditionSettings(parts_.settings, settings);
  ShowPeak();
}

void ConditionsPanel::Zero(bool connected) {
  const auto refusal = parts_.zero.Ask(connected, stopWaiting_);
  if (refusal && !refusal->empty())
    base::ShowErrorBox(*refusal);
  if (refusal)
    return;
  controls_.nullen.SetEnabled(false);
  showTexts_();
}

void ConditionsPanel::ClearZero() {
  if (!parts_.recording.ClearZero()) {
    base::ShowErrorBox("Während einer Aufnahme bleibt die Nullung.");
    return;
  }
  ShowZero();
}

void ConditionsPanel::ShowZero() {
  ResetPeak(); // the peak held so far was on the other zero
  controls_.nullAus.SetEnabled(parts_.recording.ZeroNow().has_value());
  showTexts_();
}

void ConditionsPanel::ResetPeak() {
  parts_.recording.ResetPeak();
  parts_.after.ForgetPeak();
  ShowPeak();
}

void ConditionsPanel::ShowPeak() {
  const dynlog::Recording& r = parts_.recording;
  controls_.peak.SetText(dynlog::HeldPeakText(parts_.after.ShownPeak(), r.HoldsMinimum(),
                                              parts_.decimals, r.Description().unit,
                                              parts_.separators));
}
