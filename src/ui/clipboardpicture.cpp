#include "ui/clipboardpicture.h"

#include "base/handles.h"

#include <cstring>
#include <stdexcept>

namespace ui {
namespace {

class OpenClipboardScope {
public:
  explicit OpenClipboardScope(HWND owner) {
    // Another program may hold it for a moment.
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != 0;
      if (!open_)
        Sleep(20);
    }
    if (!open_)
      throw std::runtime_error("Die Zwischenablage ist belegt");
  }
  ~OpenClipboardScope() { CloseClipboard(); }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

private:
  bool open_ = false;
};

// Global memory the clipboard takes over once SetClipboardData succeeds.
class ClipboardMemory {
public:
  explicit ClipboardMemory(SIZE_T bytes) : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (!memory_)
      throw std::runtime_error("Kein Speicher für die Zwischenablage");
  }
  ~ClipboardMemory() {
    if (memory_)
      GlobalFree(memory_);
  }
  ClipboardMemory(const ClipboardMemory&) = delete;
  ClipboardMemory& operator=(const ClipboardMemory&) = delete;
  HGLOBAL get() const { return memory_; }
  void Given() { memory_ = nullptr; }

private:
  HGLOBAL memory_;
};

// A packed DIB: its header, then the rows, bottom row first as a DIB without a negative height
// is read by every program.
void PutBitmap(const base::MemoryBitmap& picture) {
  const int w = picture.width(), h = picture.height();
  const SIZE_T rowBytes = static_cast<SIZE_T>(w) * 4;
  ClipboardMemory memory(sizeof(BITMAPINFOHEADER) + rowBytes * static_cast<SIZE_T>(h));
  auto* bytes = static_cast<unsigned char*>(GlobalLock(memory.get()));
  if (!bytes)
    throw std::runtime_error("Kein Speicher für die Zwischenablage");
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = w;
  header.biHeight = h;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(rowBytes * static_cast<SIZE_T>(h));
  std::memcpy(bytes, &header, sizeof header);
  GdiFlush();
  const auto* top = static_cast<const unsigned char*>(picture.pixels());
  for (int y = 0; y < h; ++y)
    std::memcpy(bytes + sizeof header + rowBytes * static_cast<SIZE_T>(h - 1 - y),
                top + rowBytes * static_cast<SIZE_T>(y), rowBytes);
  GlobalUnlock(memory.get());
  if (!SetClipboardData(CF_DIB, memory.get()))
    throw std::runtime_error("Bild kann nicht in die Zwischenablage gelegt werden");
  memory.Given();
}

void PutMetafile(HWND owner, SIZE size, const PicturePainter& paint) {
  // The metafile's frame is given in hundredths of a millimetre, at the screen's resolution.
  HDC dc = nullptr;
  {
    const base::WindowDc screen(owner);
    const int hmmPerPixelX = GetDeviceCaps(screen.get(), HORZSIZE) * 100,
              hmmPerPixelY = GetDeviceCaps(screen.get(), VERTSIZE) * 100;
    const int pixelsX = GetDeviceCaps(screen.get(), HORZRES),
              pixelsY = GetDeviceCaps(screen.get(), VERTRES);
    const RECT frame{0, 0, MulDiv(size.cx, hmmPerPixelX, pixelsX),
                     MulDiv(size.cy, hmmPerPixelY, pixelsY)};
    dc = CreateEnhMetaFileW(screen.get(), nullptr, &frame, L"DYNLOG\0Diagramm\0");
  }
  if (!dc)
    throw std::runtime_error("Metafile kann nicht erzeugt werden");
  try {
    paint(dc, size);
  } catch (...) {
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    throw;
  }
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  if (!metafile)
    throw std::runtime_error("Metafile kann nicht erzeugt werden");
  if (!SetClipboardData(CF_ENHMETAFILE, metafile)) {
    DeleteEnhMetaFile(metafile);
    throw std::runtime_error("Bild kann nicht in die Zwischenablage gelegt werden");
  }
}

} // namespace

void CopyPictureToClipboard(HWND owner, const base::MemoryBitmap& picture,
                            const PicturePainter& paint) {
  if (!picture)
    throw std::runtime_error("Kein Bild");
  OpenClipboardScope open(owner);
  EmptyClipboard();
  try {
    PutBitmap(picture);
    PutMetafile(owner, {picture.width(), picture.height()}, paint);
  } catch (...) {
    EmptyClipboard();
    throw;
  }
}

} // namespace ui
