#include "app/application.h"

#include "app/automation.h"
#include "app/recordingmode.h"
#include "ui/appwindow.h"
#include "ui/errorbox.h"
#include "ui/messageloop.h"

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
  ui::WaitFor(
      ui::kNoDeadline, [] { return false; }, true);
  return ui::TakeQuit();
}

int RunApplication() {
  ui::SetApplicationTitle(kApplicationTitle);
  if (const std::vector<std::string> arguments = Utf8Arguments(); !arguments.empty())
    return RunAutomatedMode(arguments);
  RunningProgram program;
  return RunMessageLoop();
}

} // namespace dynlog
