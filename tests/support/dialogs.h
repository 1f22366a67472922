#pragma once
// Answering the windows a step brings up modally (questions, the save dialog and its overwrite
// question) from thread timers, and reading what a window says.
#include "base/text.h"
#include "uitest.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

inline std::string WindowText(HWND w) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
  return base::Narrow(text);
}

inline BOOL CALLBACK AddText(HWND c, LPARAM all) {
  std::string& text = *reinterpret_cast<std::string*>(all);
  text += '\n';
  text += WindowText(c);
  return TRUE;
}
// The window's text and its children's, one a line.
inline std::string AllText(HWND w) {
  std::string all = WindowText(w);
  EnumChildWindows(w, AddText, reinterpret_cast<LPARAM>(&all));
  return all;
}

inline std::vector<HWND> VisibleWindows() { // of this thread
  std::vector<HWND> list;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
      list.push_back(w);
  return list;
}

// Clicks the child button captioned caption ("&" left out); false when there is none.
inline bool Press(HWND window, std::string caption) {
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::string text = WindowText(c);
    std::erase(text, '&');
    if (text == caption)
      return PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED),
                          reinterpret_cast<LPARAM>(c)) != FALSE;
  }
  return false;
}

// Hands every window shown after now to answer, every 50 ms, until answer returns true; gives up
// after about 10 s (a hang guard: a question that never comes fails the test).
inline void WhenWindowAppears(std::function<bool(HWND)> answer, int tries = 200) {
  const std::vector<HWND> known = VisibleWindows();
  AfterMs(50, [known, answer, tries] {
    for (HWND w : VisibleWindows())
      if (std::find(known.begin(), known.end(), w) == known.end() && answer(w))
        return;
    if (tries > 0)
      WhenWindowAppears(answer, tries - 1);
  });
}

// Types path as the save dialog's file name (cmb13, edt1) and presses OK.
inline void SaveAs(HWND dialog, const std::string& path) {
  for (int id : {0x47C, 0x480})
    SetDlgItemTextW(dialog, id, base::Widen(path).c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Version 6 of the common controls for the scope, as the program's manifest asks for them.
class CommonControls6 {
public:
  explicit CommonControls6(const std::string& manifest) {
    const std::wstring path = base::Widen(manifest);
    ACTCTXW context{sizeof(context)};
    context.lpSource = path.c_str();
    context_ = CreateActCtxW(&context);
    if (context_ != INVALID_HANDLE_VALUE)
      ActivateActCtx(context_, &cookie_);
  }
  ~CommonControls6() {
    if (context_ != INVALID_HANDLE_VALUE)
      DeactivateActCtx(0, cookie_), ReleaseActCtx(context_);
  }
  bool Active() const { return context_ != INVALID_HANDLE_VALUE; }

private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
};

} // namespace testsupport
