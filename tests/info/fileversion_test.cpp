// The version of a program file, read from its version resource: version_probe.exe beside this
// test program carries 2.10.0.7 as its file version and another product version.
#include "base/handles.h"
#include "base/text.h"
#include "info/fileversion.h"
#include "info/versiontext.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

namespace dynlog {
namespace {

const std::filesystem::path kProbe = std::filesystem::absolute("version_probe.exe");

TEST(FileVersionTest, FileVersionIsShownNotTheProductVersion) {
  EXPECT_EQ(FileVersionText(base::Narrow(kProbe.wstring())), "2.10.0.7");
  EXPECT_EQ(VersionText(0xFFFFFFFF, 0xFFFF0000), "65535.65535.65535.0"); // each part unsigned
}

TEST(FileVersionTest, FilesWithoutAVersionGiveZero) {
  EXPECT_EQ(RunningProgramVersionText(), "0"); // this test program carries no version resource
  EXPECT_EQ(FileVersionText("gibt-es-nicht.exe"), "0");
}

TEST(FileVersionTest, RunningProgramReadsItsOwnFile) {
  const std::wstring out =
      std::filesystem::absolute(L"version-" + std::to_wstring(GetCurrentProcessId()) + L".txt");
  std::wstring command = L"\"" + kProbe.wstring() + L"\" \"" + out + L"\"";
  STARTUPINFOW start{.cb = sizeof(STARTUPINFOW)};
  PROCESS_INFORMATION probe{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &start, &probe));
  const base::UniqueHandle process(probe.hProcess), thread(probe.hThread);
  WaitForSingleObject(probe.hProcess, 60000); // a hang guard only
  DWORD code = 99;
  GetExitCodeProcess(probe.hProcess, &code);
  ASSERT_EQ(code, 0u);
  EXPECT_EQ(testsupport::ReadBytes(out), "2.10.0.7");
  std::filesystem::remove(out);
}

} // namespace
} // namespace dynlog
