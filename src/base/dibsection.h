#pragma once
// A bitmap whose pixels the program reaches directly: a DIB section of 24 or 32 bits a pixel,
// top row first or last; and such a bitmap with a memory DC of its own.
#include "base/handles.h"

#include <windows.h>

#include <utility>

namespace base {

enum class RowOrder { TopDown, BottomUp };

// An empty owner when the system cannot make it; `pixels` is then null.
inline Bitmap MakeDibSection(int width, int height, int bitsPerPixel, RowOrder order,
                             void*& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = order == RowOrder::TopDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  pixels = nullptr;
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap)
    pixels = nullptr;
  return bitmap;
}

// A 32-bit top-down DIB section selected into a memory DC of its own, for drawing off screen. The
// bitmap is deselected before the DC is deleted, and the DC before the bitmap.
class MemoryBitmap {
public:
  MemoryBitmap() = default;
  // An empty owner (false) when the system cannot make it.
  MemoryBitmap(int width, int height) {
    bitmap_ = MakeDibSection(width, height, 32, RowOrder::TopDown, pixels_);
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !pixels_ || !dc_) {
      *this = MemoryBitmap();
      return;
    }
    old_ = SelectObject(dc_.get(), bitmap_.get());
    width_ = width;
    height_ = height;
  }
  ~MemoryBitmap() { Deselect(); }
  MemoryBitmap(MemoryBitmap&& o) noexcept { *this = std::move(o); }
  MemoryBitmap& operator=(MemoryBitmap&& o) noexcept {
    if (this != &o) {
      Deselect();
      bitmap_ = std::move(o.bitmap_);
      dc_ = std::move(o.dc_);
      old_ = std::exchange(o.old_, nullptr);
      pixels_ = std::exchange(o.pixels_, nullptr);
      width_ = std::exchange(o.width_, 0);
      height_ = std::exchange(o.height_, 0);
    }
    return *this;
  }

  explicit operator bool() const { return dc_.valid(); }
  HDC dc() const { return dc_.get(); }
  void* pixels() const { return pixels_; }
  int width() const { return width_; }
  int height() const { return height_; }

private:
  void Deselect() {
    if (dc_ && old_)
      SelectObject(dc_.get(), old_);
    old_ = nullptr;
  }
  Bitmap bitmap_; // declared first: deleted last, after the DC
  MemoryDc dc_;
  HGDIOBJ old_ = nullptr;
  void* pixels_ = nullptr;
  int width_ = 0, height_ = 0;
};

} // namespace base
