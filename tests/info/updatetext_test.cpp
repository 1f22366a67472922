// The program update's portable pieces: names derived from the program's path, the progress line,
// when a reply is a download, and where the host comes from.
#include "info/updatetext.h"

#include <gtest/gtest.h>

namespace dynlog {
namespace {

TEST(UpdateTextTest, NewProgramFileNameReplacesOnlyTheFileNamesExtension) {
  EXPECT_EQ(NewProgramFileName("dynlog.exe"), "dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("dynlog"), "dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("DYNLOG.EXE"), "DYNLOG.ex_");
  EXPECT_EQ(NewProgramFileName("dyn.log.exe"), "dyn.log.ex_");
  EXPECT_EQ(NewProgramFileName("dynlog."), "dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("C:\\Mess.Programme\\dynlog"), "C:\\Mess.Programme\\dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("Kraftmessung für Prüfstand.exe"), "Kraftmessung für Prüfstand.ex_");
}

TEST(UpdateTextTest, ProgramPathSplitsIntoFolderWithBackslashAndFileName) {
  const ProgramLocation p = SplitProgramPath("C:\\Programme\\DYNLOG\\dynlog.exe");
  EXPECT_EQ(p.folder, "C:\\Programme\\DYNLOG\\");
  EXPECT_EQ(p.fileName, "dynlog.exe");
  EXPECT_EQ(SplitProgramPath("\\\\server\\share\\dynlog.exe").folder, "\\\\server\\share\\");
  EXPECT_EQ(SplitProgramPath("C:dynlog.exe").fileName, "dynlog.exe");
  EXPECT_EQ(SplitProgramPath("dynlog.exe").folder, "");
}

TEST(UpdateTextTest, ProgressLineCountsBytesWithTrailingBlank) {
  EXPECT_EQ(ProgressText(2048, 5120), "2048 Bytes von 5120 übertragen ");
  EXPECT_EQ(ProgressText(700, 0), "700 Bytes von 0 übertragen ");
  EXPECT_EQ(ProgressText(2147483647, 2147483647), "2147483647 Bytes von 2147483647 übertragen ");
}

TEST(UpdateTextTest, OnlyACompleteSuccessfulReplyIsADownload) {
  EXPECT_TRUE(DownloadComplete(200, 5120, 5120));
  EXPECT_TRUE(DownloadComplete(200, 0, 700)); // no length announced
  EXPECT_TRUE(DownloadComplete(204, 0, 0));
  EXPECT_TRUE(DownloadComplete(299, 10, 10));
  EXPECT_FALSE(DownloadComplete(404, 151, 151)); // an error page
  EXPECT_FALSE(DownloadComplete(401, 0, 80));
  EXPECT_FALSE(DownloadComplete(302, 0, 0));
  EXPECT_FALSE(DownloadComplete(0, 0, 0)); // the server closed without a status line
  EXPECT_FALSE(DownloadComplete(199, 0, 0));
  EXPECT_FALSE(DownloadComplete(200, 5120, 1000)); // cut off
  EXPECT_FALSE(DownloadComplete(200, 5120, 6000));
}

TEST(UpdateTextTest, EnvironmentHostOverridesTheBuiltInOneUnlessEmpty) {
  EXPECT_EQ(ChooseUpdateHost("127.0.0.1:8080", "update.example.com"), "127.0.0.1:8080");
  EXPECT_EQ(ChooseUpdateHost("", "update.example.com"), "update.example.com");
  EXPECT_EQ(ChooseUpdateHost(nullptr, "update.example.com"), "update.example.com");
}

} // namespace
} // namespace dynlog
