#include "window/valuepanel.h"

#include "window/maincontrols.h"
#include "window/windowfonts.h"

#include <algorithm>
#include <string>

using namespace dynlog::mainwindow;

namespace {

// The unit beside the value display is this part of the digits' height.
constexpr double kUnitShare = 0.4;

} // namespace

void ValuePanel::Place(const dynlog::ValueDisplayPlace& place, int room, std::string_view unit,
                       int decimals, const dynlog::NumberSeparators& separators) {
  place_ = place;
  // The unit on the display's panel at its right, the digits left of it, the held peak below
  // from the same left edge.
  int fontHeight = place.fontHeight, unitWidth = 0, digitsWidth = 0;
  for (;;) {
    form_.SetFontHeight(fonts_.digits, fontHeight);
    form_.SetFontHeight(fonts_.unit, static_cast<int>(fontHeight * kUnitShare + 0.5));
    unitWidth =
        unit.empty()
            ? 0
            : form_.LogicalUp(dynlog::TextWidth(labels_.unit.Handle(), fonts_.unit.get(), unit)) +
                  6;
    digitsWidth = form_.LogicalUp(dynlog::ValueDisplayWidth(
        labels_.digits.Handle(), fonts_.digits.get(), decimals, separators));
    if (digitsWidth + unitWidth <= room || fontHeight <= place.fontHeight / 2)
      break;
    fontHeight = std::min(fontHeight - 1, fontHeight * room / (digitsWidth + unitWidth));
  }
  labels_.unit.SetText(unit);
  labels_.unit.SetBounds(place.right - unitWidth, place.top, std::max(unitWidth, 1), place.height);
  labels_.unit.SetVisible(unitWidth > 0);
  const int left = place.right - unitWidth - digitsWidth;
  labels_.digits.SetBounds(left, place.top, digitsWidth, place.height);
  labels_.peak.SetBounds(left, place.peakTop, place.right - left, place.peakHeight);
  if (place.verdictHeight > 0) {
    form_.SetFontHeight(fonts_.verdict, place.verdictFontHeight);
    form_.SetFontHeight(fonts_.reason,
                        place.verdictFontHeight * kReasonFontHeight / dynlog::kVerdictFontHeight);
  }
  PlaceVerdict();
}

void ValuePanel::ShowValue(double value, bool stopped, int decimals,
                           const dynlog::NumberSeparators& separators) {
  labels_.digits.SetBackground(kValuePanel);
  labels_.digits.SetTextColour(stopped ? kValueGrey : kValueWhite);
  labels_.unit.SetTextColour(stopped ? kValueGrey : kValueWhite);
  dynlog::FormatValueCaption(caption_, value, decimals, separators);
  labels_.digits.SetText(caption_);
}

void ValuePanel::ShowStopped() {
  labels_.digits.SetTextColour(kValueGrey);
  labels_.unit.SetTextColour(kValueGrey);
}

void ValuePanel::ShowVerdict(const dynlog::Verdict& verdict, const dynlog::ForceLimits& limits,
                             int decimals, dynlog::ForceUnit unit,
                             const dynlog::NumberSeparators& separators) {
  labels_.verdict.SetBackground(verdict.Failed() ? kFailColour : kPassColour);
  labels_.verdict.SetText(dynlog::VerdictText(verdict));
  // Before the verdict, and beside an i.O., the limits it is judged by; beside an n.i.O. why.
  labels_.reason.SetBackground(verdict.Failed() ? kFailColour : CLR_INVALID);
  labels_.reason.SetTextColour(verdict.Failed() ? kValueWhite : kStatusText);
  labels_.reason.SetText(verdict.Failed()
                             ? dynlog::VerdictReason(verdict, decimals, unit, separators)
                             : dynlog::LimitsText(limits, decimals, unit, separators));
  PlaceVerdict();
}

void ValuePanel::PlaceVerdict() {
  const bool row = place_.verdictHeight > 0;
  const std::string verdict = labels_.verdict.Text(), reason = labels_.reason.Text();
  const int pad = place_.verdictHeight / 2;
  const auto width = [&](const ui::Label& label, ui::ScaledFont& font, const std::string& text) {
    return form_.LogicalUp(dynlog::TextWidth(label.Handle(), font.get(), text));
  };
  const int verdictWidth =
      !row || verdict.empty() ? 0 : width(labels_.verdict, fonts_.verdict, verdict) + 2 * pad;
  const int wanted =
      !row || reason.empty() ? 0 : width(labels_.reason, fonts_.reason, reason) + pad;
  const int right = place_.right;
  const int reasonWidth = std::min(wanted, std::max(0, right - verdictWidth - 24));
  const int height = std::max(place_.verdictHeight, 1);
  labels_.verdict.SetBounds(right - verdictWidth, place_.verdictTop, std::max(verdictWidth, 1),
                            height);
  labels_.reason.SetBounds(right - verdictWidth - reasonWidth, place_.verdictTop,
                           std::max(reasonWidth, 1), height);
  labels_.verdict.SetVisible(verdictWidth > 0);
  labels_.reason.SetVisible(reasonWidth > 0);
}
