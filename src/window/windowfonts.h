#pragma once
// Text measures of the measurement window: the upward arrow beside the axis name, and the width
// of the value display.
#include "base/handles.h"
#include "base/numberformat.h"

#include <windows.h>

#include <string_view>

namespace dynlog {

// The arrow is character 0xAD of the "Symbol" font; where that font is missing (Wine has none)
// the same arrow comes from Unicode in Arial. Its height is 13 logical pixels.
struct ArrowFontFace {
  const wchar_t* face;
  BYTE charset;
};
ArrowFontFace ArrowFont();
// The arrow's text in that font, UTF-8.
const char* ArrowText(HFONT font);

// The width of text in the font as the window's DC measures it, in the screen's pixels.
int TextWidth(HWND window, HFONT font, std::string_view utf8);

// The width of the widest value the unit can send at these decimal places, sign and framing
// blanks included, in the font as label's DC measures it (the screen's pixels): the panel holds
// still while values change, and every digit stays whole.
int ValueDisplayWidth(HWND label, HFONT font, int decimals, const NumberSeparators& separators);

} // namespace dynlog
