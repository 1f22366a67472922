#pragma once
// The conditions dialog (Bedingungen): when a test starts by itself (the force above a threshold,
// or the trigger input switched on) with the seconds kept from before, when it ends by itself (a
// break, the force back below a threshold, the trigger input off, a time), whether the next test
// is armed again by itself, and whether the window holds the lowest value instead of the highest.
#include "files/descriptionsettings.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/form.h"

#include <optional>

class ConditionsDialog : public ui::Form {
public:
  explicit ConditionsDialog(HWND owner);

  // Shows the settings modally; the ones OK took, or nothing for Abbrechen.
  std::optional<dynlog::ConditionSettings> Ask(const dynlog::ConditionSettings& settings);
  // The controls as they stand; nothing, after an error box, when a figure is no number or the
  // conditions cannot work together.
  std::optional<dynlog::ConditionSettings> Entered();

  ui::Label LabelStart;
  ui::RadioButton RadioManual, RadioForce, RadioInput;
  ui::Edit EditStartAbove;
  ui::Label LabelPre, LabelPreUnit;
  ui::Edit EditPre;
  ui::Label LabelStop;
  ui::CheckBox CheckBreak;
  ui::Edit EditBreakPercent;
  ui::Label LabelBreakPercent, LabelBreakMin;
  ui::Edit EditBreakMin;
  ui::CheckBox CheckBelow;
  ui::Edit EditBelow;
  ui::CheckBox CheckInputOff;
  ui::CheckBox CheckAfter;
  ui::Edit EditAfter;
  ui::Label LabelAfterUnit;
  ui::CheckBox CheckRearm;
  ui::CheckBox CheckMinimum;
  ui::CheckBox CheckZero; // zero before every test is armed
  ui::OkButton ButtonOk;
  ui::CancelButton ButtonCancel;

protected:
  void FormShow() override;

private:
  void ShowSettings(const dynlog::ConditionSettings& settings);
  std::optional<dynlog::ConditionSettings> taken_;
};
