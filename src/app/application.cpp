#include "app/application.h"

#include "app/automation.h"
#include "app/recordingmode.h"
#include "ui/appwindow.h"
#include "ui/errorbox.h"

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

int RunMessageLoop(HWND mainWindow) {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (IsWindow(mainWindow) && IsDialogMessageW(mainWindow, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

int RunApplication() {
  ui::SetApplicationTitle(kApplicationTitle);
  if (const std::vector<std::string> arguments = Utf8Arguments(); !arguments.empty())
    return RunAutomatedMode(arguments);
  RunningProgram program;
  return RunMessageLoop(program.windows.fkm470a.Handle());
}

} // namespace dynlog
