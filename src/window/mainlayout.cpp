#include "window/mainlayout.h"

#include <algorithm>
#include <cmath>

namespace dynlog {

double DigitGrowth(WindowSize client, WindowSize first) {
  if (first.width <= 0 || first.height <= 0)
    return 1;
  const double growth = std::min(static_cast<double>(client.width) / first.width,
                                 static_cast<double>(client.height) / first.height);
  return std::clamp(growth, 1.0, kMaxDigitGrowth);
}

ValueDisplayPlace PlaceValueDisplay(WindowSize client, WindowSize first, bool verdictRow,
                                    bool peakRow) {
  const double growth = DigitGrowth(client, first);
  ValueDisplayPlace p;
  // Kept as far from the right edge as at the first size, so that it stays beside the buttons
  // and lamps however wide the window is.
  p.right = kValueDisplayRight + std::max(0, client.width - first.width);
  p.top = kValueDisplayTop;
  p.height = static_cast<int>(std::lround(kValueDisplayHeight * growth));
  p.fontHeight = static_cast<int>(std::lround(kValueFontHeight * growth));
  // 8 below the display, as at the first size (96 = 32 + 56 + 8).
  p.chartTop = p.top + p.height + 8;
  int below = p.top + p.height; // the lowest row so far
  if (peakRow) {
    p.peakTop = below + 2;
    p.peakHeight = static_cast<int>(std::lround(kPeakRowHeight * growth));
    p.peakFontHeight = static_cast<int>(std::lround(kPeakFontHeight * growth));
    below = p.peakTop + p.peakHeight;
    p.chartTop = below + 8;
  }
  if (verdictRow) {
    // The verdict grows as the digits do, and the chart begins below it.
    p.verdictTop = below + 4;
    p.verdictHeight = static_cast<int>(std::lround(kVerdictRowHeight * growth));
    p.verdictFontHeight = static_cast<int>(std::lround(kVerdictFontHeight * growth));
    p.chartTop = p.verdictTop + p.verdictHeight + 8;
  }
  p.captionTop = p.chartTop - 16;
  return p;
}

} // namespace dynlog
