#include "window/wholetestpane.h"

#include "base/errorbox.h"
#include "base/fileerror.h"
#include "chart/export.h"
#include "chart/overlaylegend.h"
#include "files/recordedtest.h"
#include "files/savedtestfile.h"
#include "ui/questionbox.h"
#include "ui/screenshot.h"
#include "window/savedialog.h"

#include <algorithm>

namespace {

constexpr COLORREF kLimitColour = RGB(224, 0, 0);
constexpr std::uint32_t kBandPixel = dynlog::RgbPixel(220, 230, 250);

} // namespace

WholeTestPane::WholeTestPane(dynlog::WholeTestModel& model, const dynlog::Recording& recording,
                             const dynlog::ForceChart& chart,
                             const dynlog::NumberSeparators& separators)
    : model_(model), recording_(recording), chart_(chart), separators_(separators),
      limitBrush_(CreateSolidBrush(kLimitColour)) {}

bool WholeTestPane::Open(const std::vector<std::string>& utf8Paths, bool add) {
  std::vector<std::pair<std::string, dynlog::OpenedTest>> opened;
  for (const std::string& path : utf8Paths) {
    const std::string name = path.substr(path.find_last_of("\\/") + 1);
    try {
      dynlog::OpenedTest test = dynlog::ReadSavedTestFile(path, separators_);
      if (test.values.Count() == 0) {
        base::ShowErrorBox(name + ": " +
                           (test.unread ? dynlog::UnreadLineText(*test.unread) : "keine Werte"));
        continue;
      }
      opened.emplace_back(name, std::move(test));
    } catch (const base::FileError& e) {
      base::ShowErrorBox(name + ": " + e.what());
    }
  }
  if (opened.empty())
    return false;
  if (const auto refused = model_.Open(std::move(opened), add))
    base::ShowErrorBox("Höchstens fünf Tests liegen übereinander; "
                       "nicht geöffnet: " +
                       *refused);
  return true;
}

void WholeTestPane::Draw(dynlog::TracePicture& picture, const dynlog::ScalePaint& p) {
  const auto curves = model_.Curves();
  const dynlog::OverlayColumns fitted = model_.Fit(dynlog::LegendHeight(p.dpi, curves.size()));
  const auto box = chart_.TraceBox();
  picture.ClearBox({box.left + 2, box.top, box.right + 2, box.bottom});
  if (const auto band = model_.Band()) // the stretch a release will zoom into
    picture.Canvas().FillBox({band->first, box.top, band->second + 1, box.bottom}, kBandPixel);
  dynlog::DrawCurves(picture.Canvas(), chart_.Axes(), fitted, model_.Compared().Reference());
  std::vector<dynlog::PixelBox> rows;
  if (curves.size() > 1) {
    for (const RECT& r : dynlog::PaintLegend(p, {box.left + 2, box.top, box.right, box.bottom},
                                             curves, model_.Compared().Reference()))
      rows.push_back({r.left, r.top, r.right, r.bottom});
    GdiFlush(); // before the canvas writes into the same memory again
  }
  model_.SetLegendRows(std::move(rows));
}

void WholeTestPane::PaintLimitLines(HDC dc, const RECT& area, int dpi) {
  const dynlog::ForceLimits limits = model_.Limits();
  if (!limits.Any())
    return;
  const dynlog::ChartAxes& a = chart_.Axes();
  const auto scales = model_.Scales();
  const double low = scales ? scales->low : chart_.RangeMin();
  const double high = scales ? scales->high : chart_.RangeMax();
  const auto px = [dpi](int logical) { return MulDiv(logical, dpi, 96); };
  // Dashed, so that the trace on a limit still shows; only the dashes in the area repainted.
  const int origin = a.shape2Left + 2, end = origin + a.shape2Width;
  const int dash = px(6), period = dash + px(4), thick = std::max(1, px(1));
  const int left = std::max<int>(origin, area.left), right = std::min<int>(end, area.right);
  for (const auto& limit : {limits.lower, limits.upper}) {
    if (!limit)
      continue;
    const int row = dynlog::ChartRow(a, low, high, *limit);
    if (row < a.shape1Top - 1 || row >= a.shape2Top || row + thick <= area.top ||
        row >= area.bottom)
      continue;
    for (int x = origin + std::max(0, left - origin) / period * period; x < right; x += period) {
      const RECT r{std::max(x, left), row, std::min(x + dash, right), row + thick};
      if (r.left < r.right)
        FillRect(dc, &r, limitBrush_.get());
    }
  }
}

void WholeTestPane::CopyPicture(HWND window, int top, int bottom, std::span<const HWND> leaveOut) {
  RECT client;
  GetClientRect(window, &client);
  const base::MemoryBitmap chart =
      ui::WindowAreaPicture(window, {0, top, client.right, client.bottom - bottom}, leaveOut);
  dynlog::CopyShownChart(window, chart);
  // On the clipboard already; the file is offered beside it.
  if (const auto path = dynlog::AskPngName(window, lastPictureName_))
    dynlog::SavePngPicture(*path, chart);
}

void WholeTestPane::Report(HWND owner) {
  WithShownTest([&](const dynlog::OpenedTest& test, const std::string& name) {
    enum { Print = 1, Png = 2 };
    const int choice = ui::Ask(
        owner, "Bericht", "Die Seite über " + name + " drucken oder als PNG-Datei speichern?",
        {{"&Drucken", Print}, {"Als &PNG speichern", Png}, {"Abbrechen", IDCANCEL}});
    if (choice == Print)
      dynlog::PrintReportPage(owner, test, name, separators_);
    else if (choice == Png)
      if (const auto path = dynlog::AskPngName(owner, lastPictureName_))
        dynlog::SaveReportPage(*path, test, name, separators_);
  });
}

void WholeTestPane::WithShownTest(
    const std::function<void(const dynlog::OpenedTest&, const std::string&)>& use) {
  if (const auto curves = model_.Curves(); !curves.empty())
    if (const auto& main = model_.MainOf(curves); main.opened)
      return use(*main.opened, main.name);
  if (recording_.SampleCount() == 0) {
    base::ShowErrorBox("Noch kein Test: erst messen oder einen gespeicherten Test öffnen");
    return;
  }
  const std::string& part = recording_.Description().trace.part;
  use(dynlog::RecordedTest(recording_), part.empty() ? "Aufnahme" : part);
}
