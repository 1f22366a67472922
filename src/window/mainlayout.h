#pragma once
// Where the measurement window puts its value display, in logical pixels: at the first size as it
// always was; in a larger window the digits grow with it, up to four times, so that a maximised
// window can be read from across the bench, and the chart takes the room below them. Pure logic.

namespace dynlog {

struct WindowSize {
  int width = 0, height = 0;
};

struct ValueDisplayPlace {
  int right = 0; // the display's right edge; its width follows its font
  int top = 0;
  int height = 0;
  int fontHeight = 0;
  int chartTop = 0;   // where the chart's vertical axis begins
  int captionTop = 0; // the axis name F and the readout above the chart
  // The held peak's row right below the value display, right-aligned with it.
  int peakTop = 0, peakHeight = 0, peakFontHeight = 0;
  // With limits set, a row below the value display (and the peak) for the verdict, right-aligned
  // with it.
  int verdictTop = 0, verdictHeight = 0, verdictFontHeight = 0;
};

inline constexpr int kValueDisplayTop = 32;
inline constexpr int kValueDisplayHeight = 56;
inline constexpr int kValueFontHeight = 48;
inline constexpr int kValueDisplayRight = 366 + 67;
inline constexpr double kMaxDigitGrowth = 4;
inline constexpr int kVerdictRowHeight = 26;
inline constexpr int kVerdictFontHeight = 20;
inline constexpr int kPeakRowHeight = 18;
inline constexpr int kPeakFontHeight = 15;

// How much larger than at the first size: the smaller of the two ratios, 1 to 4.
double DigitGrowth(WindowSize client, WindowSize first);
// verdictRow, peakRow: room for the verdict and the held peak below the value display, which the
// chart gives up.
ValueDisplayPlace PlaceValueDisplay(WindowSize client, WindowSize first, bool verdictRow = false,
                                    bool peakRow = false);

} // namespace dynlog
