#pragma once
// A window rendered into memory as the screen shows it, and what a person sees in it: colours,
// their counts in an area, the contrast between two colours.
#include "base/dibsection.h"
#include "base/handles.h"
#include "ui/screenshot.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

namespace testsupport {

class Picture {
public:
  explicit Picture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    void* bits = nullptr;
    const base::Bitmap dib =
        base::MakeDibSection(width_, height_, 32, base::RowOrder::TopDown, bits);
    base::MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dib || !dc)
      throw std::runtime_error("no bitmap");
    {
      base::SelectObjectScope select(dc.get(), dib.get());
      ui::PrintWindowAsShown(window, dc.get());
      GdiFlush();
    }
    const auto* p = static_cast<const DWORD*>(bits);
    pixels_.assign(p, p + static_cast<size_t>(width_) * static_cast<size_t>(height_));
  }

  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const {
    const DWORD v =
        pixels_.at(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x));
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // Colours in the area (clipped to the picture), most frequent first.
  std::vector<std::pair<COLORREF, int>> Colours(const RECT& area) const {
    std::map<COLORREF, int> count;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height_); ++y)
      for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width_); ++x)
        ++count[At(x, y)];
    std::vector<std::pair<COLORREF, int>> list(count.begin(), count.end());
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return list;
  }

private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// Contrast ratio of two colours as the WCAG define it: 1 (none) to 21 (black on white).
inline double ContrastRatio(COLORREF a, COLORREF b) {
  auto luminance = [](COLORREF c) {
    auto channel = [](int v) {
      const double s = v / 255.0;
      return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) +
           0.0722 * channel(GetBValue(c));
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace testsupport
