#include "window/buttonpictures.h"

#include "base/dibsection.h"

#include <vector>

namespace {

// Pixels left in this colour are transparent: the button's face shows through.
constexpr COLORREF kClear = RGB(255, 0, 255);

// Where a picture's boxes, given on a 16 x 16 grid, lie at the screen's DPI.
struct Grid {
  HDC dc;
  int dpi;
  int Px(int v) const { return MulDiv(v, dpi, 96); }
};

// Draws a 16 x 16 picture (scaled to the DPI) with the given painter and makes it an icon: the
// mask is set where the painter left the clear colour.
template <typename Paint> base::Icon Picture(int dpi, Paint paint) {
  const int kSize = MulDiv(16, dpi, 96);
  const int kWidth = kSize + MulDiv(kPictureGap, dpi, 96);
  void* bits = nullptr;
  base::Bitmap colour = base::MakeDibSection(kWidth, kSize, 32, base::RowOrder::TopDown, bits);
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!colour || !dc)
    return {};
  {
    base::SelectObjectScope select(dc.get(), colour.get());
    base::Brush clear(CreateSolidBrush(kClear));
    RECT all{0, 0, kWidth, kSize};
    FillRect(dc.get(), &all, clear.get());
    paint(Grid{dc.get(), dpi});
    GdiFlush();
  }
  // The mask's rows are whole 16-bit words; a set bit lets the background through, and the
  // colour image must be black there.
  const int kStride = (kWidth + 15) / 16 * 2;
  std::vector<BYTE> mask(static_cast<size_t>(kStride * kSize), 0);
  auto* pixel = static_cast<DWORD*>(bits);
  const DWORD clearPixel = (GetRValue(kClear) << 16) | (GetGValue(kClear) << 8) | GetBValue(kClear);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kWidth; ++x) {
      DWORD& p = pixel[y * kWidth + x];
      if ((p & 0xFFFFFF) == clearPixel) {
        mask[static_cast<size_t>(y * kStride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
        p = 0;
      }
    }
  base::Bitmap maskBitmap(CreateBitmap(kWidth, kSize, 1, 1, mask.data()));
  ICONINFO info{TRUE, 0, 0, maskBitmap.get(), colour.get()};
  return base::Icon(CreateIconIndirect(&info));
}

void Box(const Grid& g, int l, int t, int r, int b, COLORREF colour) {
  base::Brush brush(CreateSolidBrush(colour));
  RECT rc{g.Px(l), g.Px(t), g.Px(r), g.Px(b)};
  FillRect(g.dc, &rc, brush.get());
}

} // namespace

base::Icon MakeSettingsPicture(int dpi) {
  return Picture(dpi, [](const Grid& dc) {
    // Three slider tracks with their knobs at different positions.
    const int knob[3] = {4, 10, 7};
    for (int i = 0; i < 3; ++i) {
      const int y = 3 + i * 5;
      Box(dc, 1, y, 15, y + 1, RGB(64, 64, 64));
      Box(dc, knob[i] - 1, y - 2, knob[i] + 2, y + 3, RGB(0, 0, 160));
    }
  });
}

base::Icon MakeSavePicture(int dpi) {
  return Picture(dpi, [](const Grid& dc) {
    Box(dc, 1, 1, 15, 15, RGB(0, 0, 128));     // the disk
    Box(dc, 4, 1, 12, 6, RGB(192, 192, 192));  // the shutter
    Box(dc, 9, 2, 11, 5, RGB(0, 0, 128));      // its window
    Box(dc, 3, 9, 13, 15, RGB(255, 255, 255)); // the label
    Box(dc, 4, 11, 12, 12, RGB(128, 128, 128));
  });
}
