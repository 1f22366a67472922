#include "chart/reportpage.h"

#include "base/handles.h"
#include "base/text.h"
#include "chart/savedchartpicture.h"
#include "ui/controls.h"

#include <stdexcept>

namespace dynlog {
namespace {

COLORREF StyleColour(ReportStyle style) {
  switch (style) {
  case ReportStyle::Label:
    return RGB(80, 80, 80);
  case ReportStyle::Pass:
    return RGB(0, 128, 0);
  case ReportStyle::Fail:
    return kLimitColour;
  default:
    return RGB(0, 0, 0);
  }
}

} // namespace

ReportPageLayout PaintReportPage(HDC dc, int width, int height, int dpi, const OpenedTest& test,
                                 std::string_view fileName, const NumberSeparators& separators) {
  const ReportPageLayout page =
      LayOutReportPage(MakeReportText(test, fileName, separators), width, height, dpi);
  const base::SavedDcState saved(dc);
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  for (const PlacedText& t : page.texts) {
    const bool bold = t.style != ReportStyle::Label && t.style != ReportStyle::Text;
    const base::Font font = ui::MakeFont(L"Arial", page.FontHeight(t.style), bold);
    const base::SelectObjectScope select(dc, font.get());
    SetTextColor(dc, StyleColour(t.style));
    const std::wstring text = base::Widen(t.text);
    RECT box{t.box.left, t.box.top, t.box.right, t.box.bottom};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              (t.right ? DT_RIGHT : DT_LEFT) | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS |
                  DT_NOPREFIX);
  }
  for (const PixelBox& r : page.rules) {
    const RECT rule{r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rule, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  PaintTestChart(dc, {page.chart.left, page.chart.top, page.chart.right, page.chart.bottom}, dpi,
                 test, separators);
  return page;
}

base::MemoryBitmap RenderReportPage(const OpenedTest& test, std::string_view fileName,
                                    const NumberSeparators& separators) {
  base::MemoryBitmap page(kReportWidth, kReportHeight);
  if (!page)
    throw std::runtime_error("Bild kann nicht erzeugt werden");
  PaintReportPage(page.dc(), kReportWidth, kReportHeight, kReportDpi, test, fileName, separators);
  GdiFlush();
  return page;
}

} // namespace dynlog
