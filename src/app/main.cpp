// Program start: the application title, the four windows in their order, the message loop.
#include "app/application.h"
#include "ui/errorbox.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return dynlog::RunApplication();
  } catch (...) {
    ui::ReportCurrentException();
    return 1;
  }
}
