#pragma once
// The application's own window: it carries the application title on the task bar and owns the
// main form, as the program's windows have always been arranged. It has no size; minimising the
// main form minimises it (and so hides every form), activating it brings the forms back.
#include "base/handles.h"

#include <windows.h>

#include <string_view>

namespace ui {

class ApplicationWindow {
public:
  explicit ApplicationWindow(std::string_view utf8Title);
  ApplicationWindow(const ApplicationWindow&) = delete;
  ApplicationWindow& operator=(const ApplicationWindow&) = delete;

  HWND Handle() const { return hwnd_.get(); }
  // The main form becomes owned by this window and is activated in its place.
  void SetMainForm(HWND mainForm);

private:
  static LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  base::UniqueWindow hwnd_;
};

// The application window of the running program, or null.
HWND ApplicationHandle();

} // namespace ui
