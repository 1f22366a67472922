// The version of a program file, read from its version resource: update_probe.exe beside this
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

namespace fs = std::filesystem;
const fs::path kProbe = fs::absolute("update_probe.exe");

TEST(FileVersionTest, FileVersionIsShownNotTheProductVersionAndNoneIsZero) {
  EXPECT_EQ(FileVersionText(base::Narrow(kProbe.wstring())), "2.10.0.7");
  EXPECT_EQ(VersionText(0xFFFFFFFF, 0xFFFF0000), "65535.65535.65535.0"); // each part unsigned
  EXPECT_EQ(RunningProgramVersionText(), "0"); // this test program carries no version resource
  EXPECT_EQ(FileVersionText("gibt-es-nicht.exe"), "0");
}

// The probe writes, last in its record, the version it reads from its own file.
TEST(FileVersionTest, RunningProgramReadsItsOwnFile) {
  const fs::path record = kProbe.parent_path() / "updater-ran.txt";
  fs::remove(record);
  std::wstring command = L"\"" + kProbe.wstring() + L"\"";
  STARTUPINFOW start{.cb = sizeof(STARTUPINFOW)};
  PROCESS_INFORMATION probe{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &start, &probe));
  const base::UniqueHandle process(probe.hProcess), thread(probe.hThread);
  WaitForSingleObject(probe.hProcess, 60000); // a hang guard only
  EXPECT_TRUE(testsupport::ReadBytes(record).ends_with("\n2.10.0.7\n"));
  fs::remove(record);
}

} // namespace
} // namespace dynlog
