#include "window/windowfonts.h"

#include "base/text.h"
#include "ui/controls.h"

#include <algorithm>
#include <string>

namespace dynlog {
namespace {

bool HasSymbolFont() {
  base::Font font = ui::MakeFont(L"Symbol", 13, false, SYMBOL_CHARSET);
  const base::WindowDc dc(nullptr);
  wchar_t face[LF_FACESIZE] = {};
  {
    base::SelectObjectScope select(dc.get(), font.get());
    GetTextFaceW(dc.get(), LF_FACESIZE, face);
  }
  return lstrcmpiW(face, L"Symbol") == 0;
}

} // namespace

ArrowFontFace ArrowFont() {
  return HasSymbolFont() ? ArrowFontFace{L"Symbol", SYMBOL_CHARSET}
                         : ArrowFontFace{L"Arial", DEFAULT_CHARSET};
}

const char* ArrowText(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof(lf), &lf);
  return lf.lfCharSet == SYMBOL_CHARSET ? "" /* U+F0AD */ : "↑" /* U+2191 */;
}

int TextWidth(HWND window, HFONT font, std::string_view utf8) {
  const base::WindowDc dc(window);
  base::SelectObjectScope select(dc.get(), font);
  const std::wstring text = base::Widen(utf8);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int ValueDisplayWidth(HWND label, HFONT font, int decimals, const NumberSeparators& separators) {
  const auto [lowest, highest] = ValueDisplayExtremes(decimals);
  int width = 0;
  for (const double v : {lowest, highest}) {
    std::string caption(1, ' ');
    AppendNumber(caption, v, decimals, kDisplaySignificantDigits, separators);
    caption += ' ';
    width = std::max(width, TextWidth(label, font, caption));
  }
  return width;
}

} // namespace dynlog
