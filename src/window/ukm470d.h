#pragma once
// Tfkm470d, the rate dialog: how many values per second the measurement window keeps from the
// unit's stream, and whether the frames in between are averaged into the kept one. Its controls are
// the setting; the measurement window reads them while measuring and when saving.
#include "test/samplerate.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/form.h"

#include <array>

class Tfkm470d : public ui::Form {
public:
  explicit Tfkm470d(HWND owner = nullptr);

  // The rate of the checked radio button (10 per second if, against the rules, none is checked).
  dynlog::SampleRate Rate() const;
  void SetRate(dynlog::SampleRate rate);
  bool Averaging() const { return CheckBoxMitteln.Checked(); }

  ui::Label Label1;               // heading "Messwerte pro Sekunde"
  ui::RadioButton RadioButton320; // the rates, 320 down to 2,5 (RadioButton2)
  ui::RadioButton RadioButton160;
  ui::RadioButton RadioButton80;
  ui::RadioButton RadioButton40;
  ui::RadioButton RadioButton20;
  ui::RadioButton RadioButton10;
  ui::RadioButton RadioButton5;
  ui::RadioButton RadioButton2;
  ui::OkButton BitBtn1;         // OK
  ui::CancelButton BitBtn2;     // Abbrechen
  ui::CheckBox CheckBoxMitteln; // "Mittelwert bilden"

protected:
  void FormShow() override;

private:
  std::array<ui::RadioButton*, 8> RateButtons();
  std::array<const ui::RadioButton*, 8> RateButtons() const;
};
