#pragma once
// The series table: a window of its own beside the measurement window, one row per test of the
// open series (number, time, part, maximum, minimum, mean, duration, verdict) and the statistics
// over their maxima beneath. A click on a row asks the measurement window to show that test.
#include "base/numberformat.h"
#include "files/seriestable.h"
#include "ui/controls.h"
#include "ui/form.h"

#include <functional>
#include <string>

class SeriesWindow : public ui::Form {
public:
  // onShowTest gets the index of the row clicked; onEnd ends the series.
  SeriesWindow(HWND owner, std::function<void(int row)> onShowTest, std::function<void()> onEnd);

  // The folder's rows and their statistics under these limits.
  void ShowTable(const std::string& utf8Folder, const dynlog::SeriesTable& table,
                 const dynlog::ForceLimits& limits, const dynlog::NumberSeparators& separators);

  ui::ListView Table;
  ui::Label Statistics;
  ui::Label FolderPath; // the series folder's full path; the title names the folder alone
  ui::Button ButtonEnd; // "Reihe beenden"

protected:
  void FormResize() override;
  void FormEscape() override { Hide(); }

private:
  std::size_t rowsShown_ = 0;
  std::string folder_;
};
