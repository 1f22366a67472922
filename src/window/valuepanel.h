#pragma once
// The measurement window's value panel: the digits, the force unit beside them and the held peak
// below, sized to the room the layout gives them; and the verdict row beneath, "i.O." or "n.i.O."
// with the limits it was judged by or the reason it failed.
#include "base/numberformat.h"
#include "test/forceunit.h"
#include "test/verdict.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "window/mainlayout.h"

#include <string>
#include <string_view>

class ValuePanel {
public:
  struct Labels {
    ui::Label &digits, &unit, &peak, &verdict, &reason;
  };
  struct Fonts {
    ui::ScaledFont &digits, &unit, &verdict, &reason;
  };
  ValuePanel(ui::Form& form, Labels labels, Fonts fonts)
      : form_(form), labels_(labels), fonts_(fonts) {}

  // Lays the panel out at `place`. The digits and the unit take the room up to `room` logical
  // pixels: a wide unit or many decimals make the digits a little smaller rather than cover a
  // button beside them.
  void Place(const dynlog::ValueDisplayPlace& place, int room, std::string_view unit, int decimals,
             const dynlog::NumberSeparators& separators);
  // The newest value in the digits, white on their black panel while measuring, grey once
  // stopped: values still on their way after Stop are shown, but nothing is measured any more.
  void ShowValue(double value, bool stopped, int decimals,
                 const dynlog::NumberSeparators& separators);
  // The last value stays, but no longer looks live.
  void ShowStopped();
  // The verdict row: its verdict, and beside it the reason it failed or the limits it is judged
  // by (before the verdict too).
  void ShowVerdict(const dynlog::Verdict& verdict, const dynlog::ForceLimits& limits, int decimals,
                   dynlog::ForceUnit unit, const dynlog::NumberSeparators& separators);

private:
  void PlaceVerdict();

  ui::Form& form_;
  Labels labels_;
  Fonts fonts_;
  dynlog::ValueDisplayPlace place_;
  std::string caption_; // kept, so a new value allocates nothing
};
