// The program update's portable pieces: names derived from the program's path, when a reply is a
// download, and where the host comes from.
#include "info/updatetext.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace dynlog {
namespace {

// The new program's name replaces only the file name's extension; the folder keeps its backslash.
TEST(UpdateTextTest, NamesFromTheProgramPath) {
  EXPECT_EQ(NewProgramFileName("dynlog.exe"), "dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("dynlog"), "dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("dyn.log.exe"), "dyn.log.ex_");
  EXPECT_EQ(NewProgramFileName("dynlog."), "dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("C:\\Mess.Programme\\dynlog"), "C:\\Mess.Programme\\dynlog.ex_");
  EXPECT_EQ(NewProgramFileName("Kraftmessung für Prüfstand.exe"), "Kraftmessung für Prüfstand.ex_");
  const ProgramLocation p = SplitProgramPath("C:\\Programme\\DYNLOG\\dynlog.exe");
  EXPECT_EQ(p.folder, "C:\\Programme\\DYNLOG\\");
  EXPECT_EQ(p.fileName, "dynlog.exe");
  EXPECT_EQ(SplitProgramPath("\\\\server\\share\\dynlog.exe").folder, "\\\\server\\share\\");
  EXPECT_EQ(SplitProgramPath("C:dynlog.exe").fileName, "dynlog.exe");
  EXPECT_EQ(SplitProgramPath("dynlog.exe").folder, "");
}

TEST(UpdateTextTest, OnlyAWholeSoundReplyIsADownload) {
  const std::optional<std::int64_t> none;
  const struct {
    bool headerValid;
    int code;
    std::optional<std::int64_t> announced;
    std::int64_t body;
    const char* start;
    bool program;
    bool whole;
  } cases[] = {
      {true, 200, 5120, 5120, "MZ", true, true},
      {true, 200, none, 700, "MZ", true, true},   // no length announced
      {true, 200, 100, 100, "[K", false, true},   // the version list need not be a program
      {true, 200, 100, 100, "<h", true, false},   // an error page sent as 200
      {true, 200, none, 0, "", false, false},     // nothing at all
      {true, 200, 0, 0, "", false, true},         // announced empty and empty
      {true, 200, 0, 10, "MZ", true, false},      // "Content-Length: 0" and a body
      {true, 200, 1000, 10, "MZ", true, false},   // cut off
      {true, 200, 5120, 6000, "MZ", true, false}, // longer than announced
      {true, 200, 2147483648LL, 2147483647, "MZ", true, false},
      {true, 206, 10, 10, "MZ", true, false}, // partial content
      {true, 404, 151, 151, "<h", false, false},
      {true, 0, none, 700, "MZ", true, false},   // no status line
      {false, 200, 700, 700, "MZ", true, false}, // header cut off or broken
  };
  for (const auto& c : cases) {
    DownloadReply r;
    r.headerValid = c.headerValid;
    r.replyCode = c.code;
    r.announcedLength = c.announced;
    r.bodyBytes = c.body;
    r.bodyStart = c.start;
    EXPECT_EQ(DownloadComplete(r, c.program), c.whole) << c.code << " " << c.body << " " << c.start;
  }
}

TEST(UpdateTextTest, OnlyAShortPrintableVersionIsShown) {
  const struct {
    std::string version;
    bool readable;
  } cases[] = {
      {"1.0.0.2", true},
      {"", true},
      {std::string(64, '9'), true},
      {"Version für Prüfstand 2", true},
      {std::string(32, 'a') + "\xC3\xA4" + std::string(31, 'b'), true}, // 64 characters
      {std::string(64, 'a') + "\xC3\xA4", false},                       // 65 characters
      {std::string(1000, '\x80'), false}, // stray continuation bytes are no short text
      {"-1", false},
      {"1.0\t2", false},
      {std::string("1\0002", 3), false},
      {"1.0\x7f", false},
      {"1.0\xC2\x85", false}, // NEL, a C1 control
  };
  for (const auto& c : cases)
    EXPECT_EQ(VersionTextReadable(c.version), c.readable) << c.version.substr(0, 70);
}

TEST(UpdateTextTest, EnvironmentHostOverridesTheBuiltInOneUnlessEmpty) {
  EXPECT_EQ(ChooseUpdateHost("127.0.0.1:8080", "update.example.com"), "127.0.0.1:8080");
  EXPECT_EQ(ChooseUpdateHost("", "update.example.com"), "update.example.com");
  EXPECT_EQ(ChooseUpdateHost(nullptr, "update.example.com"), "update.example.com");
}

} // namespace
} // namespace dynlog
