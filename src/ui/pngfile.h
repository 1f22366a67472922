#pragma once
// Pictures as PNG, through the system's own image codecs (Windows Imaging Component): no image
// library of the program's own.
#include "base/dibsection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The PNG file's bytes of a 32-bit top-down picture, without transparency (GDI leaves the fourth
// byte of each pixel 0). Throws std::runtime_error with a German text when the system cannot.
std::string EncodePng(const base::MemoryBitmap& picture);

// A PNG file's pixels as 0xAARRGGBB (alpha 0xFF: opaque), top row first. Throws std::runtime_error
// like EncodePng.
struct DecodedPicture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};
DecodedPicture DecodePng(std::string_view bytes);

} // namespace ui
