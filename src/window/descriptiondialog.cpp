#include "window/descriptiondialog.h"

#include "base/errorbox.h"
#include "test/verdict.h"

#include <iterator>

namespace {

std::vector<std::string> UnitChoices() {
  std::vector<std::string> items;
  for (const dynlog::ForceUnit unit : dynlog::kForceUnits)
    items.emplace_back(dynlog::UnitChoiceText(unit));
  return items;
}

constexpr int kLabelLeft = 12, kFieldLeft = 104, kFieldWidth = 214, kRow = 28, kHeight = 21;
constexpr int Top(int row) {
  return 12 + row * kRow;
}

} // namespace

TestDialog::TestDialog(HWND owner)
    : ui::Form(ui::DialogStyle("Prüfung", 330, 292, owner)),
      LabelUnit(*this, kLabelLeft, Top(0) + 3, 90, 16, "Krafteinheit"),
      ComboUnit(*this, kFieldLeft, Top(0), 120, kHeight, UnitChoices()),
      LabelPart(*this, kLabelLeft, Top(1) + 3, 90, 16, "Prüfling"),
      LabelTester(*this, kLabelLeft, Top(2) + 3, 90, 16, "Prüfer"),
      LabelOrder(*this, kLabelLeft, Top(3) + 3, 90, 16, "Auftrag"),
      LabelComment(*this, kLabelLeft, Top(4) + 3, 90, 16, "Bemerkung"),
      EditPart(*this, kFieldLeft, Top(1), kFieldWidth, kHeight, ""),
      EditTester(*this, kFieldLeft, Top(2), kFieldWidth, kHeight, ""),
      EditOrder(*this, kFieldLeft, Top(3), kFieldWidth, kHeight, ""),
      EditComment(*this, kFieldLeft, Top(4), kFieldWidth, kHeight, ""),
      LabelLimits(*this, kLabelLeft, Top(5) + 6, 306, 16,
                  "Grenzen des Maximums (leer: keine Grenze)"),
      LabelLower(*this, kLabelLeft, Top(6) + 3, 90, 16, "Untergrenze"),
      LabelUpper(*this, kLabelLeft, Top(7) + 3, 90, 16, "Obergrenze"),
      EditLower(*this, kFieldLeft, Top(6), 90, kHeight, ""),
      EditUpper(*this, kFieldLeft, Top(7), 90, kHeight, ""),
      ButtonOk(*this, 134, Top(8) + 12, [this] { return (taken_ = Entered()).has_value(); }),
      ButtonCancel(*this, 229, Top(8) + 12) {
  EditPart.SetHint("Teile- oder Probennummer; endet sie auf Ziffern, zählt sie nach jedem "
                   "gespeicherten Test um eins weiter.");
  ComboUnit.SetHint("Die Einheit, auf die die Anzeigeeinheit eingestellt ist. Sie ändert keinen "
                    "Wert, sie benennt ihn.");
}

void TestDialog::FormShow() {
  if (HWND owner = GetWindow(Handle(), GW_OWNER))
    CenterOver(owner);
}

void TestDialog::Show(const dynlog::TestDescription& d) {
  int unit = 0;
  for (std::size_t i = 0; i < std::size(dynlog::kForceUnits); ++i)
    if (dynlog::kForceUnits[i] == d.unit)
      unit = static_cast<int>(i);
  ComboUnit.SetItemIndex(unit);
  EditPart.SetText(d.trace.part);
  EditTester.SetText(d.trace.tester);
  EditOrder.SetText(d.trace.order);
  EditComment.SetText(d.trace.comment);
  EditLower.SetText(dynlog::FigureAsTyped(d.limits.lower));
  EditUpper.SetText(dynlog::FigureAsTyped(d.limits.upper));
}

std::optional<dynlog::TestDescription> TestDialog::Ask(const dynlog::TestDescription& description) {
  Show(description);
  taken_.reset();
  if (ShowModal() != ui::mrOk)
    return std::nullopt;
  return taken_;
}

std::optional<dynlog::TestDescription> TestDialog::Entered() {
  dynlog::TestDescription d;
  const int unit = ComboUnit.ItemIndex();
  d.unit = unit >= 0 && unit < static_cast<int>(std::size(dynlog::kForceUnits))
               ? dynlog::kForceUnits[unit]
               : dynlog::ForceUnit::None;
  d.trace = {EditPart.Text(), EditTester.Text(), EditOrder.Text(), EditComment.Text()};
  const struct {
    ui::Edit& edit;
    const char* name;
    std::optional<double>& limit;
  } limits[] = {{EditLower, "Untergrenze", d.limits.lower},
                {EditUpper, "Obergrenze", d.limits.upper}};
  for (const auto& l : limits) {
    const std::string text = l.edit.Text();
    if (text.find_first_not_of(' ') == std::string::npos)
      continue;
    l.limit = dynlog::LimitFromText(text);
    if (!l.limit) {
      base::ShowErrorBox(std::string(l.name) + ": „" + text + "“ ist keine Zahl");
      SetFocus(l.edit.Handle());
      return std::nullopt;
    }
  }
  if (d.limits.lower && d.limits.upper && *d.limits.lower > *d.limits.upper) {
    base::ShowErrorBox("Die Untergrenze liegt über der Obergrenze");
    SetFocus(EditLower.Handle());
    return std::nullopt;
  }
  return d;
}
