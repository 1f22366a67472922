#include "base/text.h"
#include "info/fileversion.h"
#include "info/versiontext.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace dynlog {
namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::string Utf8(const std::wstring& w) {
  return base::Narrow(w);
}

const std::wstring kProbe = L"version_probe.exe";

TEST(FileVersionTest, FileVersionIsShownNotTheProductVersion) {
  EXPECT_EQ(FileVersionText(Utf8(OwnFolder() + kProbe)), "2.10.0.7");
  EXPECT_EQ(VersionText(0xFFFFFFFF, 0xFFFF0000), "65535.65535.65535.0"); // each part unsigned
}

TEST(FileVersionTest, FilesWithoutAVersionGiveZero) {
  EXPECT_EQ(RunningProgramVersionText(), "0"); // this test program carries no version resource
  EXPECT_EQ(FileVersionText(Utf8(OwnFolder() + L"gibt-es-nicht.exe")), "0");
}

TEST(FileVersionTest, RunningProgramReadsItsOwnFile) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring out =
      std::wstring(temp) + L"dynlog-version-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  std::wstring command = L"\"" + OwnFolder() + kProbe + L"\" \"" + out + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 99;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(code, 0u);

  std::string text;
  const HANDLE h = CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[64];
  DWORD n = 0;
  ReadFile(h, buf, sizeof buf, &n, nullptr);
  CloseHandle(h);
  DeleteFileW(out.c_str());
  EXPECT_EQ(std::string(buf, n), "2.10.0.7");
}

} // namespace
} // namespace dynlog
