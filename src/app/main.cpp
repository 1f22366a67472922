// Program start: the application title, the four windows in their order, the message loop.
#include "app/application.h"
#include "base/errorbox.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return dynlog::RunApplication();
  } catch (...) {
    base::ReportCurrentException();
    return 1;
  }
}
