#pragma once
// Acting on windows from inside a test while a modal loop or a wait runs: the test schedules its
// steps as thread timers on the GUI thread.
#include "base/messageloop.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>

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

// Runs the program's wait for about ms milliseconds.
inline void PumpFor(unsigned ms) {
  base::Delay(ms);
}

} // namespace testsupport
