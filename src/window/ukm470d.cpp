#include "window/ukm470d.h"

namespace {

ui::FormStyle RateDialogStyle(HWND owner) {
  ui::FormStyle s;
  s.caption = "DYNLOG Einstellung";
  s.width = 264;
  s.height = 358;
  s.owner = owner;
  s.fontFace = L"MS Sans Serif";
  s.fontHeight = 11;
  return s;
}

} // namespace

// Creation order is the tab order: the rates from 320 down to 2,5, then OK, Abbrechen, the check
// box. OK and Abbrechen only close the dialog; whatever was clicked stays in effect.
Tfkm470d::Tfkm470d(HWND owner)
    : ui::Form(RateDialogStyle(owner)), Label1(*this, 16, 16, 160, 16, "Messwerte pro Sekunde"),
      RadioButton320(*this, 24, 40, 185, 17, "320  (nur bei 19200 Baud möglich)", true),
      RadioButton160(*this, 24, 64, 49, 17, "160"), RadioButton80(*this, 24, 88, 49, 17, "80"),
      RadioButton40(*this, 24, 112, 49, 17, "40"), RadioButton20(*this, 24, 136, 49, 17, "20"),
      RadioButton10(*this, 24, 160, 49, 17, "10"), RadioButton5(*this, 24, 184, 49, 17, "5"),
      RadioButton2(*this, 24, 208, 49, 17, "2,5"), BitBtn1(*this, 144, 288),
      BitBtn2(*this, 24, 288), CheckBoxMitteln(*this, 24, 248, 105, 17, "Mittelwert bilden") {
  const auto buttons = RateButtons();
  std::vector<ui::RadioButton*> group(buttons.begin(), buttons.end());
  for (ui::RadioButton* b : group)
    b->SetGroup(group);
  SetRate(dynlog::SampleRate::Hz10);
}

std::array<ui::RadioButton*, 8> Tfkm470d::RateButtons() {
  return {&RadioButton320, &RadioButton160, &RadioButton80, &RadioButton40,
          &RadioButton20,  &RadioButton10,  &RadioButton5,  &RadioButton2};
}

std::array<const ui::RadioButton*, 8> Tfkm470d::RateButtons() const {
  return {&RadioButton320, &RadioButton160, &RadioButton80, &RadioButton40,
          &RadioButton20,  &RadioButton10,  &RadioButton5,  &RadioButton2};
}

void Tfkm470d::FormShow() {
  if (HWND owner = GetWindow(Handle(), GW_OWNER))
    CenterOver(owner);
}

dynlog::SampleRate Tfkm470d::Rate() const {
  const auto buttons = RateButtons();
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i]->Checked())
      return static_cast<dynlog::SampleRate>(i);
  return dynlog::SampleRate::Hz10;
}

void Tfkm470d::SetRate(dynlog::SampleRate rate) {
  RateButtons().at(static_cast<size_t>(rate))->SetChecked(true);
}
