#include "ui/screenshot.h"

#include "base/handles.h"
#include "base/text.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {
namespace {

// Text labels are drawn here as they paint themselves: not every system's static control answers
// WM_PRINTCLIENT.
void PrintStatic(HWND parent, HWND label, HDC dc, int width, int height) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(
      parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
  RECT rc{0, 0, width, height};
  if (brush && GetBkMode(dc) != TRANSPARENT)
    FillRect(dc, &rc, brush);
  const int n = GetWindowTextLengthW(label);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(label, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  const LONG style = GetWindowLongW(label, GWL_STYLE);
  UINT format = DT_NOPREFIX | ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK);
  if ((style & SS_TYPEMASK) == SS_CENTER)
    format |= DT_CENTER;
  else if ((style & SS_TYPEMASK) == SS_RIGHT)
    format |= DT_RIGHT;
  DrawTextW(dc, text.c_str(), n, &rc, format);
  if (old)
    SelectObject(dc, old);
}

bool IsStatic(HWND w) {
  wchar_t cls[32] = {};
  GetClassNameW(w, cls, 31);
  return lstrcmpiW(cls, L"Static") == 0;
}

struct PrintTarget {
  HWND parent;
  HDC dc;
};

BOOL CALLBACK PrintChild(HWND child, LPARAM p) {
  auto* target = reinterpret_cast<PrintTarget*>(p);
  if (GetParent(child) != target->parent || !IsWindowVisible(child))
    return TRUE;
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, target->parent, reinterpret_cast<POINT*>(&r), 2);
  POINT old;
  SetViewportOrgEx(target->dc, r.left, r.top, &old);
  // WM_PRINTCLIENT straight away: not every system's default WM_PRINT passes it on.
  const int saved = SaveDC(target->dc);
  IntersectClipRect(target->dc, 0, 0, r.right - r.left, r.bottom - r.top);
  if (IsStatic(child)) {
    PrintStatic(target->parent, child, target->dc, r.right - r.left, r.bottom - r.top);
  } else {
    SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target->dc), 0);
    SendMessageW(child, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target->dc), PRF_CLIENT);
  }
  RestoreDC(target->dc, saved);
  SetViewportOrgEx(target->dc, old.x, old.y, nullptr);
  return TRUE;
}

} // namespace

void SaveWindowBitmap(HWND window, const std::string& utf8Path) {
  RECT client;
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  if (w <= 0 || h <= 0)
    throw std::runtime_error("Fenster hat keine Fläche");

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h; // bottom-up, as BMP files store it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  base::Bitmap dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dib || !dc)
    throw std::runtime_error("Bild kann nicht erzeugt werden");
  {
    base::SelectObjectScope select(dc.get(), dib.get());
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    PrintTarget target{window, dc.get()};
    EnumChildWindows(window, PrintChild, reinterpret_cast<LPARAM>(&target));
    GdiFlush();
  }
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42; // "BM"
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + imageSize;
  std::ofstream out(std::filesystem::path(base::Widen(utf8Path)), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  out.write(static_cast<const char*>(bits), imageSize);
  if (!out)
    throw std::runtime_error("Bild kann nicht geschrieben werden: " + utf8Path);
}

} // namespace ui
