#include "window/lamppanel.h"

#include "window/maincontrols.h"

using namespace dynlog::mainwindow;

LampPanel::LampPanel(std::array<ui::Label*, km470::kIndicatorCount> labels) : labels_(labels) {
  colours_.fill(kDark);
}

void LampPanel::Take(std::uint8_t status) {
  const km470::IndicatorChanges changes = km470::IndicatorsFromStatus(status);
  for (std::size_t i = 0; i < colours_.size(); ++i) {
    if (changes[i] != km470::IndicatorChange::Keep)
      colours_[i] = changes[i] == km470::IndicatorChange::Lit ? kLit : kDark;
  }
}

void LampPanel::Show() {
  for (std::size_t i = 0; i < colours_.size(); ++i)
    labels_[i]->SetBackground(colours_[i]);
}
