#pragma once
// Answering the windows that a step brings up modally (questions, the save dialog, its overwrite
// question, error boxes) from a thread timer, and reading what a window says.
#include "base/text.h"
#include "uitest.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

inline std::string WindowText(HWND w) {
  const int n = GetWindowTextLengthW(w);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(w, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return base::Narrow(text);
}

inline BOOL CALLBACK AddWindowText(HWND c, LPARAM p) {
  *reinterpret_cast<std::string*>(p) += "\n" + WindowText(c);
  return TRUE;
}

// The window's text and those of all its children, one a line.
inline std::string AllText(HWND w) {
  std::string all = WindowText(w);
  EnumChildWindows(w, AddWindowText, reinterpret_cast<LPARAM>(&all));
  return all;
}

inline BOOL CALLBACK AddVisibleWindow(HWND w, LPARAM p) {
  if (IsWindowVisible(w))
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

// The visible top-level windows of this thread.
inline std::vector<HWND> VisibleWindows() {
  std::vector<HWND> list;
  EnumThreadWindows(GetCurrentThreadId(), AddVisibleWindow, reinterpret_cast<LPARAM>(&list));
  return list;
}

// Clicks the child button whose caption, without its "&", is caption. False when there is none.
inline bool Press(HWND window, const std::string& caption) {
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::string text = WindowText(c);
    std::erase(text, '&');
    if (text == caption) {
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED),
                   reinterpret_cast<LPARAM>(c));
      return true;
    }
  }
  return false;
}

// Watches for a visible window that is not among those shown now, every 50 ms, and hands each new
// one to answer until answer returns true. Gives up after about 10 s, so that a question that
// never comes fails the test instead of hanging it.
inline void WhenWindowAppears(std::function<bool(HWND)> answer, int tries = 200) {
  const std::vector<HWND> known = VisibleWindows();
  struct Watch {
    static void Step(std::vector<HWND> known, std::function<bool(HWND)> answer, int left) {
      AfterMs(50, [known, answer, left] {
        for (HWND w : VisibleWindows())
          if (std::find(known.begin(), known.end(), w) == known.end() && answer(w))
            return;
        if (left > 0)
          Step(known, answer, left - 1);
      });
    }
  };
  Watch::Step(known, std::move(answer), tries);
}

// Drops the steps still waiting: a test's watch must not answer the next test's windows.
inline void CancelPendingSteps() {
  for (const auto& [id, step] : PendingSteps())
    KillTimer(nullptr, id);
  PendingSteps().clear();
}

// Fills in the save dialog's file name and presses its OK button.
inline void SaveAs(HWND dialog, const std::string& path) {
  constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480; // cmb13, edt1
  const std::wstring name = base::Widen(path);
  SetDlgItemTextW(dialog, kFileNameCombo, name.c_str());
  SetDlgItemTextW(dialog, kFileNameEdit, name.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// The common controls of version 6 for the scope, as the program's manifest asks for them: the
// buttons then draw their pictures as in the program.
class CommonControls6 {
public:
  explicit CommonControls6(const std::string& manifestPath) {
    const std::wstring path = base::Widen(manifestPath);
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.lpSource = path.c_str();
    context_ = CreateActCtxW(&context);
    if (context_ != INVALID_HANDLE_VALUE)
      ActivateActCtx(context_, &cookie_);
  }
  ~CommonControls6() {
    if (context_ != INVALID_HANDLE_VALUE) {
      DeactivateActCtx(0, cookie_);
      ReleaseActCtx(context_);
    }
  }
  CommonControls6(const CommonControls6&) = delete;
  CommonControls6& operator=(const CommonControls6&) = delete;
  bool Active() const { return context_ != INVALID_HANDLE_VALUE; }

private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
  ULONG_PTR cookie_ = 0;
};

} // namespace testsupport
