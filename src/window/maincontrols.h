#pragma once
// The measurement window's controls as they stand at its first size: place, caption, hint and
// the look of each label, and the window's own style. The window is made from this table; where
// the controls go in a larger window is mainlayout's business.
#include "ui/controls.h"
#include "ui/form.h"

namespace dynlog::mainwindow {

inline constexpr COLORREF kLit = RGB(0, 255, 0);
inline constexpr COLORREF kDark = RGB(128, 128, 0);
inline constexpr COLORREF kTraceColour = RGB(0, 0, 255);
inline constexpr COLORREF kValueGrey = RGB(128, 128, 128);
inline constexpr COLORREF kValueWhite = RGB(255, 255, 255);
// Live values stand white on a black panel, as on the unit's own display: white on the window's
// button face (240 or 245 grey) could hardly be read, and the panel does not depend on the
// system's colour scheme.
inline constexpr COLORREF kValuePanel = RGB(0, 0, 0);
inline constexpr COLORREF kStatusText = RGB(64, 64, 64);
inline constexpr COLORREF kStatusWarning = RGB(176, 0, 0);
inline constexpr int kStatusHeight = 16;
inline constexpr COLORREF kPassColour = RGB(0, 128, 0);
inline constexpr COLORREF kFailColour = RGB(192, 0, 0);
inline constexpr COLORREF kLimitColour = RGB(224, 0, 0);
inline constexpr int kReasonFontHeight = 12;

// A label's place and its look; its font is the window's (see the comments).
struct LabelEntry {
  ui::ControlPlace place;
  ui::LabelStyle style;
};

struct MainControls {
  // The buttons, left to right along the top row, then the two small rows below the lamps.
  ui::ControlPlace einstellung, start, stop, speichern, info, wholeTest;
  ui::ControlPlace pruefung, reihe, oeffnen, bild, bericht, bedingungen, nullen, nullAus;
  // The six lamps (the indicator font): Grenzwert 1 and 2, Brutto, Netto, Überlast, T-Eingang.
  LabelEntry lamps[6];
  LabelEntry value;    // the value font
  LabelEntry axisName; // the form's font
  LabelEntry status;   // the status font, as are the connection and the end
  LabelEntry connection;
  LabelEntry unit;    // the unit font
  LabelEntry verdict; // the verdict font
  LabelEntry reason;  // the reason font
  LabelEntry peak;    // the peak font
  LabelEntry end;
};

ui::FormStyle MainStyle();
const MainControls& MainControlTable();
// The label's style with its font.
ui::LabelStyle Styled(const LabelEntry& entry, HFONT font);

} // namespace dynlog::mainwindow
