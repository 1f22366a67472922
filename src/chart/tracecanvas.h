#pragma once
// The chart's trace off screen: 32-bit pixels, top row first, 0x00RRGGBB, the layout of a 32-bit
// top-down DIB section, which the window paints from. The lines are set here pixel by pixel
// rather than through GDI: at 320 values a second, four GDI calls per line cost more processor
// time than everything else the window does.
#include "chart/forcechart.h"

#include <cstdint>
#include <vector>

namespace dynlog {

// Pixel of a colour given as red, green and blue.
constexpr std::uint32_t RgbPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

// An area of the canvas: left and top included, right and bottom not.
struct PixelBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
  // The smallest box around both.
  PixelBox Joined(const PixelBox& o) const {
    if (o.Empty())
      return *this;
    if (Empty())
      return o;
    return {left < o.left ? left : o.left, top < o.top ? top : o.top,
            right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom};
  }
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

class TraceCanvas {
public:
  static constexpr int kPenWidth = 2;

  // Works on width x height pixels at `pixels`, owned by the caller (the DIB section's bits).
  // Pixels already there stay; nothing is drawn yet.
  void Attach(std::uint32_t* pixels, int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t At(int x, int y) const { return pixels_[Index(x, y)]; }

  void Fill(std::uint32_t pixel);
  // Fills the box (cut to the canvas) and counts it as drawn.
  void FillBox(PixelBox box, std::uint32_t pixel);
  // Copies the pixels of `from` that fall inside this canvas to the same places.
  void CopyFrom(const TraceCanvas& from);

  // A line kPenWidth pixels wide from one point to the other, both ends included: two 1-pixel
  // lines side by side across the line's main direction, at offsets -1 and 0. Drawing the same
  // segment again in another colour covers exactly the same pixels. Pixels outside the canvas
  // are left out; a segment far outside costs no more than one across the canvas.
  void DrawSegment(const ChartSegment& segment, std::uint32_t pixel);

  // The box around everything drawn since the last call, cut to the canvas; then forgets it.
  PixelBox TakeDrawn();

private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  void DrawLine(ChartPoint from, ChartPoint to, std::uint32_t pixel);
  void Mark(int left, int top, int right, int bottom);

  std::uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  PixelBox drawn_;
};

} // namespace dynlog
