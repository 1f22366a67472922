#pragma once
// The test dialog (Prüfung): the force unit the display unit is set to, what is tested and by
// whom, and the limits of the maximum. It edits a description; the measurement window hands it to
// the recording and keeps it in km470.ini.
#include "test/trace.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/form.h"

#include <optional>
#include <string>

class TestDialog : public ui::Form {
public:
  explicit TestDialog(HWND owner);

  // Shows the description modally; the one OK took, or nothing for Abbrechen.
  std::optional<dynlog::TestDescription> Ask(const dynlog::TestDescription& description);
  // The controls as they stand; nothing, after an error box, when a limit is no number or the
  // lower one lies above the upper one.
  std::optional<dynlog::TestDescription> Entered();

  ui::Label LabelUnit;
  ui::ComboBox ComboUnit;
  ui::Label LabelPart, LabelTester, LabelOrder, LabelComment;
  ui::Edit EditPart, EditTester, EditOrder, EditComment;
  ui::Label LabelLimits, LabelLower, LabelUpper;
  ui::Edit EditLower, EditUpper;
  ui::OkButton ButtonOk;
  ui::CancelButton ButtonCancel;

protected:
  void FormShow() override;

private:
  void Show(const dynlog::TestDescription& description);
  std::optional<dynlog::TestDescription> taken_;
};
