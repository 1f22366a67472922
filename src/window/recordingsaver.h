#pragma once
// Saving the measurement window's recording: the save dialog and the file it names, and the
// question before Start or closing drops a recording that was not saved. What the person chose to
// describe the test is kept in km470.ini with a file saved.
#include "base/numberformat.h"
#include "link/settingsfile.h"
#include "test/recording.h"
#include "ui/runmode.h"

#include <windows.h>

#include <functional>
#include <string>

class RecordingSaver {
public:
  RecordingSaver(HWND owner, dynlog::Recording& recording, km470::Settings& settings,
                 const ui::RunMode& runMode, const dynlog::NumberSeparators& separators)
      : owner_(owner), recording_(recording), settings_(settings), runMode_(runMode),
        separators_(separators) {}

  // Saves the recording to path without asking (the save dialog's work once a name is chosen):
  // CSV for a name ending in .csv, the text file otherwise. Nothing happens when nothing is
  // recorded. Throws with the German file error text.
  void SaveTo(const std::string& utf8Path);
  // The save dialog, then the file; a failure is shown. True when the file was written.
  bool SaveWithDialog();
  // Asks before Start or closing drops an unsaved recording; true when it may be dropped. A
  // running test the person wants saved is stopped first, through `stop`.
  bool MayDrop(bool closing, const std::function<void()>& stop);

private:
  HWND owner_;
  dynlog::Recording& recording_;
  km470::Settings& settings_;
  const ui::RunMode& runMode_; // without a person nothing is asked
  const dynlog::NumberSeparators& separators_;
  std::wstring lastName_ = L"*.txt";
};
