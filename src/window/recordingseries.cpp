#include "window/recordingseries.h"

#include "base/errorbox.h"
#include "base/fileerror.h"
#include "files/descriptionsettings.h"
#include "files/recordinghead.h"
#include "link/settingsfile.h"
#include "ui/placement.h"
#include "window/folderdialog.h"
#include "window/serieswindow.h"

#include <stdexcept>

RecordingSeries::RecordingSeries(HWND owner, dynlog::Recording& recording, dynlog::AfterTest& after,
                                 km470::Settings& settings, const ui::RunMode& runMode,
                                 const dynlog::NumberSeparators& separators,
                                 std::function<void(int row)> showTest)
    : owner_(owner), recording_(recording), after_(after), settings_(settings), runMode_(runMode),
      separators_(separators), showTest_(std::move(showTest)) {}

RecordingSeries::~RecordingSeries() = default;

void RecordingSeries::Choose() {
  const std::string start = folder_ ? folder_->Folder() : dynlog::ReadSeriesFolder(settings_);
  const auto chosen = dynlog::AskSeriesFolder(owner_, start);
  if (!chosen) {
    ShowTable();
    if (window_ && folder_)
      window_->Show();
    return;
  }
  try {
    Open(*chosen);
  } catch (const std::exception& e) { // a file error, no series, a part too long
    base::ShowErrorBox(e.what());
  }
}

void RecordingSeries::Open(const std::string& utf8Folder) {
  KeepWaiting(); // into the series it was measured for
  auto opened = std::make_unique<dynlog::SeriesFolder>(utf8Folder);
  if (const auto refusal = opened->PartRefusal(recording_.NextDescription().trace.part))
    throw std::runtime_error(*refusal);
  folder_ = std::move(opened);
  if (runMode_ == ui::RunMode::Person)
    dynlog::WriteSeriesFolder(settings_, utf8Folder);
  if (!window_) {
    window_ = std::make_unique<SeriesWindow>(owner_, showTest_, [this] { End(); });
    // Beside the measurement window where there is room, else below it, else over its lower part.
    RECT main, table;
    GetWindowRect(owner_, &main);
    GetWindowRect(window_->Handle(), &table);
    const RECT work = ui::WorkAreaOf(owner_);
    const bool right = main.right + (table.right - table.left) <= work.right;
    SetWindowPos(window_->Handle(), nullptr, right ? main.right : main.left,
                 right ? main.top : main.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ui::KeepInWorkArea(window_->Handle());
  }
  ShowTable();
  window_->Show();
}

void RecordingSeries::End() {
  KeepWaiting();
  folder_.reset();
  if (window_)
    window_->Hide();
}

void RecordingSeries::ShowTable() {
  if (folder_ && window_)
    window_->ShowTable(folder_->Folder(), folder_->Table(), recording_.Description().limits,
                       separators_);
}

void RecordingSeries::Keep() {
  if (!folder_ || recording_.SampleCount() == 0 || recording_.MayDropWithoutQuestion())
    return;
  try {
    folder_->AddTest(CsvHeadOf(recording_, recording_.Results()), recording_.SavedValues());
    recording_.MarkSaved();
    if (runMode_ == ui::RunMode::Person) // the part number counted on
      dynlog::WriteTestDescription(settings_, recording_.NextDescription());
  } catch (const base::FileError& e) {
    base::ShowErrorBox(dynlog::SaveFailureText(e.what(), folder_->Folder(),
                                               recording_.SampleCount(), separators_));
  }
  ShowTable();
}
