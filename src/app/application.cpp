#include "app/application.h"

#include "app/automation.h"
#include "app/recordingmode.h"
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "info/updatejournal.h"
#include "ui/appwindow.h"

#include <cstring>

namespace dynlog {

ApplicationWindows::ApplicationWindows()
    : fkm470b(fkm470a.Handle()), AboutBox(fkm470a.Handle()), fkm470d(fkm470a.Handle()) {
  fkm470a.SetCompanions(&fkm470b, &AboutBox, &fkm470d);
}

RunningProgram::RunningProgram() : application(kApplicationTitle) {
  application.SetMainForm(windows.fkm470a.Handle());
  windows.fkm470a.Show();
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
