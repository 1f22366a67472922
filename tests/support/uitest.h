#pragma once
// Acting on windows from inside a test while a modal loop or a wait runs: the test schedules its
// steps as thread timers on the GUI thread.
#include "base/messageloop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
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
class DropPendingSteps : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    for (const auto& [id, fn] : PendingSteps())
      KillTimer(nullptr, id);
    PendingSteps().clear();
  }
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

// The whole content of a file, as bytes.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh, empty working folder for the test, made current for its lifetime.
class TempWorkDir {
public:
  TempWorkDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char old[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, old);
    old_ = old;
    static int serial = 0;
    path_ = std::string(base) + "dynlog-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial);
    CreateDirectoryA(path_.c_str(), nullptr);
    SetCurrentDirectoryA(path_.c_str());
  }
  ~TempWorkDir() {
    SetCurrentDirectoryA(old_.c_str());
    Remove(path_);
  }
  const std::string& Path() const { return path_; }

private:
  static void Remove(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
          continue;
        const std::string full = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(full);
        else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
  }
  std::string old_;
  std::string path_;
};

} // namespace testsupport
