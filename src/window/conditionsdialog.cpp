#include "window/conditionsdialog.h"

#include "base/errorbox.h"
#include "test/verdict.h"

namespace {

constexpr int kLeft = 12, kIndent = 28, kRow = 24, kHeight = 21;
constexpr int Top(int row) {
  return 10 + row * kRow;
}

} // namespace

ConditionsDialog::ConditionsDialog(HWND owner)
    : ui::Form(ui::DialogStyle("Bedingungen", 400, 400, owner)),
      LabelStart(*this, kLeft, Top(0) + 3, 370, 16, "Der Test beginnt"),
      RadioManual(*this, kIndent, Top(1), 300, kHeight, "mit Start (von Hand)", true),
      RadioForce(*this, kIndent, Top(2), 150, kHeight, "wenn die Kraft über"),
      RadioInput(*this, kIndent, Top(3), 300, kHeight, "wenn der T-Eingang einschaltet"),
      EditStartAbove(*this, 180, Top(2), 80, kHeight, ""),
      LabelPre(*this, kIndent, Top(4) + 3, 150, 16, "Vorlauf (0 bis 10 s)"),
      LabelPreUnit(*this, 264, Top(4) + 3, 20, 16, "s"),
      EditPre(*this, 180, Top(4), 80, kHeight, ""),
      LabelStop(*this, kLeft, Top(5) + 9, 370, 16, "Der Test endet auch"),
      CheckBreak(*this, kIndent, Top(6) + 6, 150, kHeight, "beim Bruch unter"),
      EditBreakPercent(*this, 180, Top(6) + 6, 44, kHeight, ""),
      LabelBreakPercent(*this, 228, Top(6) + 9, 160, 16, "% des Maximums,"),
      LabelBreakMin(*this, kIndent + 18, Top(7) + 9, 130, 16, "wenn es erreicht hat"),
      EditBreakMin(*this, 180, Top(7) + 6, 80, kHeight, ""),
      CheckBelow(*this, kIndent, Top(8) + 6, 150, kHeight, "wenn die Kraft unter"),
      EditBelow(*this, 180, Top(8) + 6, 80, kHeight, ""),
      CheckInputOff(*this, kIndent, Top(9) + 6, 300, kHeight, "wenn der T-Eingang ausschaltet"),
      CheckAfter(*this, kIndent, Top(10) + 6, 150, kHeight, "nach"),
      EditAfter(*this, 180, Top(10) + 6, 80, kHeight, ""),
      LabelAfterUnit(*this, 264, Top(10) + 9, 20, 16, "s"),
      CheckRearm(*this, kLeft, Top(11) + 12, 376, kHeight,
                 "Danach den nächsten Test von selbst scharf schalten"),
      CheckMinimum(*this, kLeft, Top(12) + 12, 376, kHeight,
                   "Neben der Anzeige das Minimum statt des Maximums halten"),
      CheckZero(*this, kLeft, Top(13) + 12, 376, kHeight, "Vor jedem Test nullen"),
      ButtonOk(*this, 204, Top(14) + 22, [this] { return (taken_ = Entered()).has_value(); }),
      ButtonCancel(*this, 299, Top(14) + 22) {
  std::vector<ui::RadioButton*> group{&RadioManual, &RadioForce, &RadioInput};
  for (ui::RadioButton* b : group)
    b->SetGroup(group);
  EditPre.SetHint("So viele Sekunden vor der Auslösung kommen mit in den Test; ihre Zeiten "
                  "sind negativ.");
  EditBreakMin.SetHint("Der Bruch zählt erst, wenn das Maximum diese Kraft erreicht hat.");
  CheckRearm.SetHint("In einer Prüfreihe wird jeder Test gespeichert und der nächste wartet auf "
                     "seine Auslösung: kein Klick je Teil.");
  CheckZero.SetHint("Start und jedes neue Scharfschalten nehmen zuerst eine halbe Sekunde in Ruhe "
                    "als Nullpunkt; ohne Ruhe oder bei Über- oder Unterlast beginnt kein Test.");
}

void ConditionsDialog::FormShow() {
  if (HWND owner = GetWindow(Handle(), GW_OWNER))
    CenterOver(owner);
}

void ConditionsDialog::ShowSettings(const dynlog::ConditionSettings& settings) {
  const dynlog::TestConditions& c = settings.conditions;
  using Kind = dynlog::StartCondition::Kind;
  (c.start.kind == Kind::ForceAbove ? RadioForce
   : c.start.kind == Kind::InputOn  ? RadioInput
                                    : RadioManual)
      .SetChecked(true);
  EditStartAbove.SetText(c.start.kind == Kind::ForceAbove ? dynlog::FigureAsTyped(c.start.threshold)
                                                          : "");
  EditPre.SetText(dynlog::FigureAsTyped(c.start.preSeconds));
  CheckBreak.SetChecked(c.stop.breakPercent.has_value());
  EditBreakPercent.SetText(dynlog::FigureAsTyped(c.stop.breakPercent));
  EditBreakMin.SetText(c.stop.breakPercent ? dynlog::FigureAsTyped(c.stop.breakMinPeak) : "");
  CheckBelow.SetChecked(c.stop.fallBelow.has_value());
  EditBelow.SetText(dynlog::FigureAsTyped(c.stop.fallBelow));
  CheckInputOff.SetChecked(c.stop.inputOff);
  CheckAfter.SetChecked(c.stop.afterSeconds.has_value());
  EditAfter.SetText(dynlog::FigureAsTyped(c.stop.afterSeconds));
  CheckRearm.SetChecked(c.rearm);
  CheckMinimum.SetChecked(settings.holdMinimum);
  CheckZero.SetChecked(settings.zeroFirst);
}

std::optional<dynlog::ConditionSettings>
ConditionsDialog::Ask(const dynlog::ConditionSettings& settings) {
  ShowSettings(settings);
  taken_.reset();
  if (ShowModal() != ui::mrOk)
    return std::nullopt;
  return taken_;
}

std::optional<dynlog::ConditionSettings> ConditionsDialog::Entered() {
  dynlog::ConditionSettings settings;
  dynlog::TestConditions& c = settings.conditions;
  bool failed = false;
  // The figure of a field that counts; an empty one is 0 where blank allows it, else refused.
  const auto figure = [&](ui::Edit& edit, const char* name, bool blankIsZero) -> double {
    if (failed)
      return 0;
    const std::string text = edit.Text();
    const bool blank = text.find_first_not_of(' ') == std::string::npos;
    const std::optional<double> value = dynlog::LimitFromText(text);
    if (value || (blank && blankIsZero))
      return value.value_or(0);
    failed = true;
    base::ShowErrorBox(std::string(name) + ": „" + text + "“ ist keine Zahl");
    SetFocus(edit.Handle());
    return 0;
  };
  using Kind = dynlog::StartCondition::Kind;
  c.start.kind = RadioForce.Checked()   ? Kind::ForceAbove
                 : RadioInput.Checked() ? Kind::InputOn
                                        : Kind::Manual;
  if (c.start.kind == Kind::ForceAbove)
    c.start.threshold = figure(EditStartAbove, "Startschwelle", false);
  c.start.preSeconds = figure(EditPre, "Vorlauf", true);
  if (CheckBreak.Checked()) {
    c.stop.breakPercent = figure(EditBreakPercent, "Bruch", false);
    c.stop.breakMinPeak = figure(EditBreakMin, "Bruch ab", true);
  }
  if (CheckBelow.Checked())
    c.stop.fallBelow = figure(EditBelow, "Stopp unter", false);
  c.stop.inputOff = CheckInputOff.Checked();
  if (CheckAfter.Checked())
    c.stop.afterSeconds = figure(EditAfter, "Stopp nach", false);
  c.rearm = CheckRearm.Checked();
  settings.holdMinimum = CheckMinimum.Checked();
  settings.zeroFirst = CheckZero.Checked();
  if (failed)
    return std::nullopt;
  if (const auto refusal = c.Refusal()) {
    base::ShowErrorBox(*refusal);
    return std::nullopt;
  }
  return settings;
}
