#include "window/buttonpictures.h"

namespace {

constexpr int kSize = 16;

// Draws a 16 x 16 picture on the button-face colour with the given painter.
template <typename Paint> base::Bitmap Picture(Paint paint) {
  const base::WindowDc screen(nullptr);
  base::Bitmap bitmap(CreateCompatibleBitmap(screen.get(), kSize, kSize));
  base::MemoryDc dc(CreateCompatibleDC(screen.get()));
  {
    base::SelectObjectScope select(dc.get(), bitmap.get());
    RECT all{0, 0, kSize, kSize};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    paint(dc.get());
  }
  return bitmap;
}

void Box(HDC dc, int l, int t, int r, int b, COLORREF colour) {
  base::Brush brush(CreateSolidBrush(colour));
  RECT rc{l, t, r, b};
  FillRect(dc, &rc, brush.get());
}

} // namespace

base::Bitmap MakeSettingsPicture() {
  return Picture([](HDC dc) {
    // Three slider tracks with their knobs at different positions.
    const int knob[3] = {4, 10, 7};
    for (int i = 0; i < 3; ++i) {
      const int y = 3 + i * 5;
      Box(dc, 1, y, 15, y + 1, RGB(64, 64, 64));
      Box(dc, knob[i] - 1, y - 2, knob[i] + 2, y + 3, RGB(0, 0, 160));
    }
  });
}

base::Bitmap MakeSavePicture() {
  return Picture([](HDC dc) {
    Box(dc, 1, 1, 15, 15, RGB(0, 0, 128));     // the disk
    Box(dc, 4, 1, 12, 6, RGB(192, 192, 192));  // the shutter
    Box(dc, 9, 2, 11, 5, RGB(0, 0, 128));      // its window
    Box(dc, 3, 9, 13, 15, RGB(255, 255, 255)); // the label
    Box(dc, 4, 11, 12, 12, RGB(128, 128, 128));
  });
}
