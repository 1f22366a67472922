#pragma once
// Acting on windows from inside a test while a modal loop or a wait runs: the test schedules its
// steps as thread timers on the GUI thread.
#include "base/messageloop.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include "base/text.h"

#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

inline std::map<UINT_PTR, std::function<void()>>& PendingSteps() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

inline void CALLBACK RunPendingStep(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = PendingSteps().find(id);
  if (it == PendingSteps().end())
    return;
  auto fn = std::move(it->second);
  PendingSteps().erase(it);
  fn();
}

// A step belongs to its test: one still pending when the test ends (a safety net that was not
// needed) is dropped, never run in a later test on windows that are gone.
inline void CancelPendingSteps() {
  for (const auto& [id, fn] : PendingSteps())
    KillTimer(nullptr, id);
  PendingSteps().clear();
}
class DropPendingSteps : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { CancelPendingSteps(); }
};

// Runs fn once, about ms milliseconds from now, on this thread's message loop.
inline void AfterMs(unsigned ms, std::function<void()> fn) {
  static const bool listening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new DropPendingSteps);
    return true;
  }();
  (void)listening;
  const UINT_PTR id = SetTimer(nullptr, 0, ms, RunPendingStep);
  PendingSteps()[id] = std::move(fn);
}

// Drops files on the window as the shell does: a DROPFILES block of wide names, which the window
// hands back with DragFinish.
inline void DropFiles(HWND window, const std::vector<std::string>& utf8Paths) {
  std::wstring names;
  for (const std::string& path : utf8Paths)
    names += base::Widen(path) + L'\0';
  names += L'\0';
  const SIZE_T bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

// Runs the program's wait for about ms milliseconds.
inline void PumpFor(unsigned ms) {
  base::Delay(ms);
}

} // namespace testsupport
