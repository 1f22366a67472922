#include "chart/export.h"

#include "base/handles.h"
#include "base/text.h"
#include "chart/reportpage.h"
#include "files/textfilewriter.h"
#include "ui/clipboardpicture.h"
#include "ui/pngfile.h"

#include <commdlg.h>

#include <algorithm>
#include <stdexcept>

namespace dynlog {
namespace {

// The handles the print dialog hands back: its device context and the printer's settings.
struct PrintChoice {
  base::PrinterDc dc;
  HGLOBAL devMode = nullptr, devNames = nullptr;
  PrintChoice() = default;
  PrintChoice(const PrintChoice&) = delete;
  PrintChoice& operator=(const PrintChoice&) = delete;
  ~PrintChoice() {
    if (devMode)
      GlobalFree(devMode);
    if (devNames)
      GlobalFree(devNames);
  }
};

// Ends the document: printed when the page was finished, dropped otherwise.
class PrintJob {
public:
  PrintJob(HDC dc, const std::wstring& name) : dc_(dc) {
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    if (StartDocW(dc_, &doc) <= 0)
      throw std::runtime_error("Der Druck kann nicht beginnen");
  }
  ~PrintJob() {
    if (!done_)
      AbortDoc(dc_);
  }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;
  void Finish() {
    if (EndDoc(dc_) <= 0)
      throw std::runtime_error("Der Druck ist fehlgeschlagen");
    done_ = true;
  }

private:
  HDC dc_;
  bool done_ = false;
};

} // namespace

void CopyShownChart(HWND owner, const base::MemoryBitmap& chart) {
  ui::CopyPictureToClipboard(owner, chart, [&](HDC dc, SIZE size) {
    BitBlt(dc, 0, 0, size.cx, size.cy, chart.dc(), 0, 0, SRCCOPY);
  });
}

void SavePngPicture(std::string_view utf8Path, const base::MemoryBitmap& picture) {
  WriteUtf8TextFile(utf8Path, ui::EncodePng(picture));
}

void SaveReportPage(std::string_view utf8Path, const OpenedTest& test, std::string_view fileName,
                    const NumberSeparators& separators) {
  WriteUtf8TextFile(utf8Path, ui::EncodePng(RenderReportPage(test, fileName, separators)));
}

bool PrintReportPage(HWND owner, const OpenedTest& test, std::string_view fileName,
                     const NumberSeparators& separators) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nCopies = 1;
  PrintChoice choice;
  const BOOL chosen = PrintDlgW(&dialog);
  choice.dc.reset(dialog.hDC);
  choice.devMode = dialog.hDevMode;
  choice.devNames = dialog.hDevNames;
  if (!chosen) {
    if (CommDlgExtendedError() != 0)
      throw std::runtime_error("Kein Drucker verfügbar");
    return false;
  }
  HDC dc = choice.dc.get();
  // The page's printable area at the printer's resolution; the report keeps A4's proportions
  // inside it.
  const int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  if (width <= 0 || height <= 0 || dpi <= 0)
    throw std::runtime_error("Der Drucker nennt keine Seitengröße");
  const int pageWidth = std::min(width, MulDiv(height, kReportWidth, kReportHeight));
  const int pageHeight = MulDiv(pageWidth, kReportHeight, kReportWidth);
  PrintJob job(dc, base::Widen(std::string("DYNLOG ") + std::string(fileName)));
  if (StartPage(dc) <= 0)
    throw std::runtime_error("Der Druck kann nicht beginnen");
  PaintReportPage(dc, pageWidth, pageHeight, dpi, test, fileName, separators);
  if (EndPage(dc) <= 0)
    throw std::runtime_error("Der Druck ist fehlgeschlagen");
  job.Finish();
  return true;
}

} // namespace dynlog
