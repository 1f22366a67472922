#include "window/serieswindow.h"

#include "base/text.h"
#include "files/seriesplace.h"
#include "ui/dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

namespace {

ui::FormStyle SeriesStyle(HWND owner) {
  ui::FormStyle s = ui::DialogStyle("Prüfreihe", 720, 300, owner);
  s.sizeable = true;
  s.minWidth = 360;
  s.minHeight = 180;
  return s;
}

constexpr int kMargin = 6;
constexpr int kLineHeight = 16;
constexpr int kButtonWidth = 100, kButtonHeight = 23;

std::vector<ui::ListView::Column> Columns() {
  constexpr int widths[] = {32, 62, 100, 76, 76, 76, 66, 206};
  std::vector<ui::ListView::Column> columns;
  for (std::size_t i = 0; i < std::size(dynlog::kSeriesTableColumns); ++i)
    columns.push_back(
        {std::string(dynlog::kSeriesTableColumns[i]), widths[i], i != 1 && i != 2 && i != 7});
  return columns;
}

} // namespace

SeriesWindow::SeriesWindow(HWND owner, std::function<void(int row)> onShowTest,
                           std::function<void()> onEnd)
    : ui::Form(SeriesStyle(owner)),
      Table(*this, kMargin, kMargin, 708, 220, Columns(), std::move(onShowTest)),
      Statistics(*this, kMargin, 232, 708, kLineHeight, "", {.ellipsis = true}),
      FolderPath(*this, kMargin, 256, 502, kLineHeight, "", {.ellipsis = true}),
      ButtonEnd(*this, 614, 252, kButtonWidth, kButtonHeight, "Reihe beenden", std::move(onEnd)) {
  Table.SetHint("Ein Klick auf eine Zeile zeigt den ganzen Test im Messfenster.");
  ButtonEnd.SetHint("Die Reihe schließen: die nächsten Tests werden nicht mehr von selbst "
                    "gespeichert. Ihr Ordner bleibt, wie er ist.");
  FormResize();
}

void SeriesWindow::ShowTable(const std::string& utf8Folder, const dynlog::SeriesTable& table,
                             const dynlog::ForceLimits& limits,
                             const dynlog::NumberSeparators& separators) {
  SetWindowTextW(
      Handle(),
      (L"Pr\u00fcfreihe \u2013 " + base::Widen(dynlog::FolderOwnName(utf8Folder))).c_str());
  FolderPath.SetText(utf8Folder);
  const auto& rows = table.Rows();
  // A series grows by one row per test: only the new ones are added.
  if (utf8Folder != folder_ || rows.size() < rowsShown_ ||
      static_cast<std::size_t>(Table.RowCount()) != rowsShown_) {
    folder_ = utf8Folder;
    Table.Clear();
    rowsShown_ = 0;
  }
  for (; rowsShown_ < rows.size(); ++rowsShown_)
    Table.AddRow(dynlog::SeriesRowCells(rows[rowsShown_], separators));
  if (!rows.empty())
    SendMessageW(Table.Handle(), LVM_ENSUREVISIBLE, rows.size() - 1, FALSE);
  const int decimals = rows.empty() ? 0 : rows.back().decimals;
  const dynlog::ForceUnit unit = rows.empty() ? dynlog::ForceUnit::None : rows.back().unit;
  Statistics.SetText(
      dynlog::SeriesStatisticsText(table.Statistics(limits), decimals, unit, separators));
}

void SeriesWindow::FormResize() {
  const SIZE client = LogicalClientSize();
  const int width = std::max(40, static_cast<int>(client.cx) - 2 * kMargin);
  const int buttonTop = client.cy - kMargin - kButtonHeight;
  const int statisticsTop = buttonTop - kMargin - kLineHeight;
  Table.SetBounds(kMargin, kMargin, width, std::max(40, statisticsTop - 2 * kMargin));
  Statistics.SetBounds(kMargin, statisticsTop, width, kLineHeight);
  FolderPath.SetBounds(kMargin, buttonTop + (kButtonHeight - kLineHeight) / 2,
                       std::max(40, width - kButtonWidth - kMargin), kLineHeight);
  ButtonEnd.SetBounds(client.cx - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
}
