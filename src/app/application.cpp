#include "app/application.h"

#include "app/automation.h"
#include "app/recordingmode.h"
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "info/updatejournal.h"
#include "ui/appwindow.h"

#include <windows.h>

#include <cstring>

namespace dynlog {

ApplicationWindows::ApplicationWindows(ui::RunMode mode)
    : fkm470a(settings, mode), fkm470b(settings, fkm470a.Handle()), AboutBox(fkm470a.Handle()),
      fkm470d(fkm470a.Handle()) {
  fkm470a.SetCompanions(&fkm470b, &AboutBox, &fkm470d);
}

namespace {

// A shortcut set to run "Maximiert" (or `start /max`) asks for the main window maximised: on a
// bench PC the value display then fills the screen from the start.
int StartShowCommand() {
  STARTUPINFOW start{};
  start.cb = sizeof start;
  GetStartupInfoW(&start);
  const bool maximised =
      (start.dwFlags & STARTF_USESHOWWINDOW) && start.wShowWindow == SW_SHOWMAXIMIZED;
  return maximised ? SW_SHOWMAXIMIZED : SW_SHOW;
}

} // namespace

RunningProgram::RunningProgram(ui::RunMode mode) : application(kApplicationTitle), windows(mode) {
  application.SetMainForm(windows.fkm470a.Handle());
  windows.fkm470a.Show(StartShowCommand());
}

int RunMessageLoop() {
  base::WaitFor(
      base::kNoDeadline, [] { return false; }, true);
  return base::TakeQuit();
}

int RunApplication() {
  base::SetApplicationTitle(kApplicationTitle);
  // An update killed half-way must not leave the folder with neither version whole.
  RepairUnfinishedUpdate();
  if (const std::vector<std::string> arguments = Utf8Arguments(); !arguments.empty())
    return RunAutomatedMode(arguments);
  RunningProgram program;
  return RunMessageLoop();
}

} // namespace dynlog
