#include "ui/screenshot.h"

#include "base/dibsection.h"
#include "base/handles.h"
#include "base/text.h"
#include "ui/pngfile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
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
  std::optional<base::SelectObjectScope> select;
  if (font)
    select.emplace(dc, font);
  const LONG style = GetWindowLongW(label, GWL_STYLE);
  UINT format = DT_NOPREFIX | ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK);
  if ((style & SS_TYPEMASK) == SS_CENTER)
    format |= DT_CENTER;
  else if ((style & SS_TYPEMASK) == SS_RIGHT)
    format |= DT_RIGHT;
  DrawTextW(dc, text.c_str(), n, &rc, format);
}

bool IsStatic(HWND w) {
  wchar_t cls[32] = {};
  GetClassNameW(w, cls, 31);
  return lstrcmpiW(cls, L"Static") == 0;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Pixels that a child leaves unpainted keep what lies beneath it, as on the screen: the child
// paints into a bitmap of its own filled with this colour, which is not copied.
constexpr COLORREF kUnpainted = RGB(1, 2, 3);

void PrintChild(HWND parent, HWND child, HDC dc) {
  const RECT r = ChildRect(parent, child);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0)
    return;
  // A child paints at its own origin: controls clip their painting to their client rectangle in
  // device coordinates, so a shifted origin would cut them off.
  base::MemoryDc own(CreateCompatibleDC(dc));
  base::Bitmap bitmap(CreateCompatibleBitmap(dc, w, h));
  if (!own || !bitmap)
    return;
  base::SelectObjectScope select(own.get(), bitmap.get());
  base::Brush unpainted(CreateSolidBrush(kUnpainted));
  RECT all{0, 0, w, h};
  FillRect(own.get(), &all, unpainted.get());
  if (IsStatic(child)) {
    PrintStatic(parent, child, own.get(), w, h);
  } else {
    // WM_PRINTCLIENT straight away: not every system's default WM_PRINT passes it on.
    SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(own.get()), 0);
    SendMessageW(child, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own.get()), PRF_CLIENT);
  }
  GdiTransparentBlt(dc, r.left, r.top, w, h, own.get(), 0, 0, w, h, kUnpainted);
}

// The visible direct children but those left out, bottom of the z-order first: the order in which
// the screen shows them, later ones over earlier ones.
std::vector<HWND> ChildrenBottomFirst(HWND parent, std::span<const HWND> leaveOut) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && std::find(leaveOut.begin(), leaveOut.end(), c) == leaveOut.end())
      children.push_back(c);
  return {children.rbegin(), children.rend()};
}

} // namespace

void PrintWindowAsShown(HWND window, HDC dc, std::span<const HWND> leaveOut) {
  const std::vector<HWND> children = ChildrenBottomFirst(window, leaveOut);
  {
    // A window that clips its children paints nothing under them, on the screen as here: what a
    // child leaves unpainted stays as the bitmap was (black), as it shows on the screen.
    base::SavedDcState saved(dc);
    if (GetWindowLongW(window, GWL_STYLE) & WS_CLIPCHILDREN)
      for (HWND c : children) {
        const RECT r = ChildRect(window, c);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
      }
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  }
  for (HWND c : children)
    PrintChild(window, c, dc);
}

base::MemoryBitmap WindowAreaPicture(HWND window, RECT area, std::span<const HWND> leaveOut) {
  RECT client;
  GetClientRect(window, &client);
  IntersectRect(&area, &area, &client);
  base::MemoryBitmap whole(client.right, client.bottom);
  base::MemoryBitmap part(area.right - area.left, area.bottom - area.top);
  if (IsRectEmpty(&area) || !whole || !part)
    throw std::runtime_error("Bild kann nicht erzeugt werden");
  PrintWindowAsShown(window, whole.dc(), leaveOut);
  BitBlt(part.dc(), 0, 0, part.width(), part.height(), whole.dc(), area.left, area.top, SRCCOPY);
  GdiFlush();
  return part;
}

void SaveWindowBitmap(HWND window, const std::string& utf8Path) {
  RECT client;
  GetClientRect(window, &client);
  const int w = client.right, h = client.bottom;
  if (w <= 0 || h <= 0)
    throw std::runtime_error("Fenster hat keine Fläche");

  void* bits = nullptr;
  // Bottom row first, as BMP files store it.
  const base::Bitmap dib = base::MakeDibSection(w, h, 24, base::RowOrder::BottomUp, bits);
  base::MemoryDc dc(CreateCompatibleDC(nullptr));
  DIBSECTION section{};
  if (!dib || !dc || !GetObjectW(dib.get(), sizeof(section), &section))
    throw std::runtime_error("Bild kann nicht erzeugt werden");
  {
    base::SelectObjectScope select(dc.get(), dib.get());
    PrintWindowAsShown(window, dc.get());
    GdiFlush();
  }
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42; // "BM"
  BITMAPINFOHEADER& header = section.dsBmih;
  header.biSizeImage = imageSize;
  fh.bfOffBits = sizeof(fh) + sizeof(header);
  fh.bfSize = fh.bfOffBits + imageSize;
  std::ofstream out(std::filesystem::path(base::Widen(utf8Path)), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(static_cast<const char*>(bits), imageSize);
  if (!out)
    throw std::runtime_error("Bild kann nicht geschrieben werden: " + utf8Path);
}

void SaveWindowPicture(HWND window, const std::string& utf8Path) {
  const std::size_t dot = utf8Path.find_last_of('.');
  if (dot == std::string::npos || lstrcmpiA(utf8Path.c_str() + dot, ".png") != 0) {
    SaveWindowBitmap(window, utf8Path);
    return;
  }
  RECT client;
  GetClientRect(window, &client);
  base::MemoryBitmap picture(client.right, client.bottom);
  if (client.right <= 0 || client.bottom <= 0 || !picture)
    throw std::runtime_error("Bild kann nicht erzeugt werden");
  PrintWindowAsShown(window, picture.dc());
  const std::string png = EncodePng(picture);
  std::ofstream out(std::filesystem::path(base::Widen(utf8Path)), std::ios::binary);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  if (!out)
    throw std::runtime_error("Bild kann nicht geschrieben werden: " + utf8Path);
}

} // namespace ui
