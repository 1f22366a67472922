#pragma once
// The series the measurement window's tests are saved into, and its table beside the window. A
// test stopped in a series is saved into it by itself, once the values still on their way are in
// (AfterTest says when); one a condition ended, at once. While a person is at the window the
// folder and the counted part number are kept in km470.ini.
#include "base/numberformat.h"
#include "files/seriesfolder.h"
#include "link/settingsfile.h"
#include "test/aftertest.h"
#include "test/recording.h"
#include "ui/runmode.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class SeriesWindow;

class RecordingSeries {
public:
  // showTest: a row of the table chosen, its test to be shown.
  RecordingSeries(HWND owner, dynlog::Recording& recording, dynlog::AfterTest& after,
                  km470::Settings& settings, const ui::RunMode& runMode,
                  const dynlog::NumberSeparators& separators,
                  std::function<void(int row)> showTest);
  ~RecordingSeries();

  // The folder dialog, then the series in the chosen folder; without a choice the open series'
  // table again. A failure is shown.
  void Choose();
  // Opens the series kept in the folder, or continues it. Throws base::FileError with the German
  // file error text, and std::runtime_error for a folder that holds no series or a part too long
  // for its file names.
  void Open(const std::string& utf8Folder);
  // Tests are no longer saved by themselves; the folder stays as it is.
  void End();
  // The stopped recording into the open series (nothing when none is open or all is saved).
  void Keep();
  // A test stopped by hand, saved now if it waits for it: before anything that changes it, or
  // once the line is quiet.
  void KeepWaiting(bool quiet = true) {
    if (after_.KeepNow(quiet))
      Keep();
  }
  // The table afresh: a test saved, or the limits its Cpk takes changed.
  void ShowTable();

  bool IsOpen() const { return folder_ != nullptr; }
  const dynlog::SeriesFolder* Folder() const { return folder_.get(); }
  SeriesWindow* TableWindow() { return window_.get(); }

private:
  HWND owner_;
  dynlog::Recording& recording_;
  dynlog::AfterTest& after_;
  km470::Settings& settings_;
  const ui::RunMode& runMode_; // km470.ini is written only while a person is at the window
  const dynlog::NumberSeparators& separators_;
  std::function<void(int)> showTest_;
  std::unique_ptr<dynlog::SeriesFolder> folder_;
  std::unique_ptr<SeriesWindow> window_;
};
