// The program update of the info window, end to end: a real info window, the update server script
// on loopback (it checks the credentials), real files in a program folder and a temporary folder
// of the test's own, and a stand-in updater that records how it was started.
#include "base/errorbox.h"
#include "base/handles.h"
#include "base/text.h"
#include "info/uinfo.h"
#include "support/testdata.h"
#include "uitest.h"
#include "updatetestfiles.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winsock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using updatetest::Contents;
using updatetest::FilesIn;
using updatetest::Lines;
using updatetest::Progress;
using updatetest::ReadBytes;
using updatetest::ServerPort;
using updatetest::WriteBytes;

const std::string kWww = "updateserver/www/";
const std::string kList = "[KM470Programm]\r\nName=dynlog.exe\r\nVersion=1.0.0.2\r\n";
const std::string kQuestion = "downloadbare Version :1.0.0.2     ihre aktuelle Version: "
                              "Version 1.0.0.1     download?";

fs::path PathOf(const std::string& utf8) {
  return fs::path(base::Widen(utf8));
}

using testsupport::Pattern;

// A loopback port on which nobody listens: one that was just bound and given back.
int ClosedPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int length = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  closesocket(s);
  return ntohs(a.sin_port);
}

using testsupport::PumpFor;

// What the error box would have shown, and how things stood at that moment.
struct ErrorSeen {
  std::string text;
  bool buttonEnabled = false;
  Lines tempFiles;
  Lines programFiles;
};
std::vector<ErrorSeen> errors;
std::function<void(const std::string&)> onError;
void CollectError(const std::string& text) {
  onError(text);
}

class ProgramUpdateTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(ServerPort("ok"), 0)
        << "the update servers are not running (info_updateserver_start)";
    static int serial = 0;
    // A blank and an umlaut in the folder: the updater's parameter must be quoted, and the path
    // must survive every conversion.
    root = fs::absolute(
        PathOf("upd-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial)));
    programFolder = root / PathOf("Mess Programme ä");
    fs::create_directories(programFolder);
    folders = std::make_unique<updatetest::UpdateFolders>(root);
    tempFolder = folders->tempFolder;

    fs::create_directories(kWww);
    for (const auto& entry : fs::directory_iterator(kWww))
      fs::remove(entry.path());

    errors.clear();
    onError = [this](const std::string& text) {
      errors.push_back(
          {text, about->Button4.Enabled(), FilesIn(tempFolder), FilesIn(programFolder)});
    };
    base::SetErrorSink(CollectError);

    about = std::make_unique<TAboutBox>();
    about->Label8.SetText("Version 1.0.0.1");
    about->ProgramUpdate.RequestEnd = [this] { ++endRequests; };
    about->ProgramUpdate.AskUser = [this](HWND owner, const std::string& text) {
      questions.push_back(text);
      EXPECT_EQ(owner, about->Handle());
      // While the user is asked, the update is running: the button is off, and the version
      // list and the header file lie in the temporary folder.
      EXPECT_FALSE(about->Button4.Enabled());
      EXPECT_EQ(FilesIn(tempFolder).size(), 2u);
      if (onQuestion)
        onQuestion();
      return answer;
    };
    UseProgram("dynlog.exe");
    UseServer("ok");
  }

  void TearDown() override {
    about.reset();
    base::SetErrorSink(nullptr);
    folders.reset();
  }

  void UseServer(const std::string& name) {
    const int port = name == "closed" ? ClosedPort() : ServerPort(name);
    UseHost("127.0.0.1:" + std::to_string(port));
  }
  void UseHost(const std::string& host) {
    SetEnvironmentVariableW(L"DYNLOG_UPDATE_HOST", base::Widen(host).c_str());
  }
  static std::string Host() { return base::Narrow(updatetest::Environment(L"DYNLOG_UPDATE_HOST")); }

  // The running program, as the update sees it, alone in its folder.
  void UseProgram(const std::string& fileName) {
    for (const auto& entry : fs::directory_iterator(programFolder))
      fs::remove(entry.path());
    programPath = base::Narrow((programFolder / PathOf(fileName)).wstring());
    WriteBytes(PathOf(programPath), "MZ the running program");
    about->ProgramUpdate.ProgramPath = programPath;
  }

  static void Serve(const std::string& name, const std::string& bytes) {
    WriteBytes(kWww + name, bytes);
  }
  static void Withdraw(const std::string& name) { fs::remove(kWww + name); }

  // Serves a complete update: the list, the new program file and the stand-in updater.
  void ServeUpdate() {
    Serve("update.ini", kList);
    Serve("dynlog.ex_", newProgram);
    Serve("update.exe", updater);
  }

  // Clicks "Program-Update" as the user does: the click reaches the window procedure, which
  // reports what the handler raises in the error box.
  void ClickUpdate() {
    questions.clear();
    SendMessageW(about->Handle(), WM_COMMAND, MAKEWPARAM(about->Button4.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(about->Button4.Handle()));
  }

  Lines Log() const { return updatetest::LogWithoutServerLine(about->Memo1.Lines()); }

  // After a run that did not start the updater: nothing left behind, the button back on.
  void ExpectCleanEnd(const Lines& programFiles) {
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
    EXPECT_EQ(FilesIn(programFolder), programFiles);
    EXPECT_TRUE(about->Button4.Enabled());
    EXPECT_EQ(endRequests, 0);
  }

  fs::path root, programFolder, tempFolder;
  std::unique_ptr<updatetest::UpdateFolders> folders;
  std::string programPath;
  std::unique_ptr<TAboutBox> about;
  Lines questions;
  int answer = IDCANCEL;
  std::function<void()> onQuestion;
  int endRequests = 0;
  const std::string newProgram = "MZ" + Pattern(199998); // a Windows program starts so
  const std::string updater = ReadBytes("update_probe.exe");
};

TEST_F(ProgramUpdateTest, WholeRunReplacesTheFilesAndStartsTheUpdaterWithTheQuotedPath) {
  ASSERT_GT(updater.size(), 1000u);
  // A build without the vendor's key says so, and neither asks for nor minds a signature.
  EXPECT_FALSE(dynlog::ProgramUpdate::SignaturesRequired());
  EXPECT_EQ(about->SignatureLabel.Text(), "Updates ohne Signaturprüfung");
  ServeUpdate();
  Serve("update.sig", "no signature at all");
  // Files of the download names from an earlier update are replaced.
  WriteBytes(programFolder / "dynlog.ex_", "old program");
  WriteBytes(programFolder / "update.exe", "old updater");
  answer = IDOK;
  ClickUpdate();

  EXPECT_EQ(errors.size(), 0u) << errors.front().text;
  EXPECT_EQ(questions, Lines{kQuestion});
  EXPECT_EQ(Log(), (Lines{"Abfrage Versionsinformation", Progress(kList.size(), kList.size()),
                          "Download dynlog.ex_", Progress(200000, 200000), "Download update.exe",
                          Progress(updater.size(), updater.size()), "Download OK"}));
  EXPECT_TRUE(ReadBytes(programFolder / "dynlog.ex_") == newProgram);
  EXPECT_TRUE(ReadBytes(programFolder / "update.exe") == updater);
  EXPECT_EQ(FilesIn(tempFolder), Lines{});
  EXPECT_EQ(endRequests, 1);
  EXPECT_TRUE(about->Button4.Enabled());
  EXPECT_TRUE(about->Memo1.Visible());
  EXPECT_EQ(about->OuterSize().cy, 555);

  // The updater was started in the program folder with one parameter: the quoted program path.
  const fs::path record = programFolder / "updater-ran.txt";
  for (int waited = 0; waited < 300 && !fs::exists(record); ++waited)
    PumpFor(100);
  ASSERT_TRUE(fs::exists(record)) << "the updater was not started";
  std::istringstream ran(ReadBytes(record));
  std::string commandLine, argc, argument, folder;
  std::getline(ran, commandLine);
  std::getline(ran, argc);
  std::getline(ran, argument);
  std::getline(ran, folder);
  EXPECT_EQ(argc, "2");
  EXPECT_EQ(argument, programPath);
  const std::string quoted = " \"" + programPath + "\"";
  EXPECT_EQ(commandLine.substr(commandLine.size() - std::min(commandLine.size(), quoted.size())),
            quoted);
  EXPECT_EQ(folder, base::Narrow(programFolder.wstring()));
  EXPECT_EQ(FilesIn(programFolder),
            (Lines{"dynlog.ex_", "dynlog.exe", "update.exe", "updater-ran.txt"}));
}

TEST_F(ProgramUpdateTest, AReplyWithoutLengthCountsAndShowsZeroExpected) {
  UseServer("nolength");
  ServeUpdate();
  answer = IDOK;
  ClickUpdate();
  EXPECT_EQ(errors.size(), 0u);
  EXPECT_EQ(Log(), (Lines{"Abfrage Versionsinformation", Progress(kList.size(), 0),
                          "Download dynlog.ex_", Progress(200000, 0), "Download update.exe",
                          Progress(updater.size(), 0), "Download OK"}));
  EXPECT_TRUE(ReadBytes(programFolder / "dynlog.ex_") == newProgram);
  EXPECT_EQ(endRequests, 1);
  for (int waited = 0; waited < 300 && !fs::exists(programFolder / "updater-ran.txt"); ++waited)
    PumpFor(100);
}

TEST_F(ProgramUpdateTest, ListForAnotherFileOrWithoutTheSectionIsRefused) {
  const Lines mismatch{"Abfrage Versionsinformation", Progress(kList.size(), kList.size()),
                       "Fehler: Anwendungsname und Listen-Dateiname unterschiedlich"};
  ServeUpdate();
  // The comparison is exact: the program file DYNLOG.EXE is not the dynlog.exe of the list.
  UseProgram("DYNLOG.EXE");
  ClickUpdate();
  EXPECT_EQ(Log(), mismatch);
  EXPECT_EQ(questions, Lines{});
  ExpectCleanEnd({"DYNLOG.EXE"});

  // Without the section the name reads as missing, before the version is looked at.
  UseProgram("dynlog.exe");
  Serve("update.ini", "[Anderes]\r\nName=dynlog.exe\r\nVersion=1.0.0.2\r\n");
  ClickUpdate();
  ASSERT_EQ(Log().size(), 3u);
  EXPECT_EQ(Log()[2], mismatch[2]);
  EXPECT_EQ(questions, Lines{});
  ExpectCleanEnd({"dynlog.exe"});

  // Section and key names are matched as the system matches them: letter case does not count.
  Serve("update.ini", "[km470programm]\r\nNAME=dynlog.exe\r\nversion=1.0.0.2\r\n");
  ClickUpdate();
  EXPECT_EQ(questions, Lines{kQuestion});
  EXPECT_EQ(errors.size(), 0u);
}

TEST_F(ProgramUpdateTest, VersionMinusOneOrMissingIsRefusedAnEmptyOneOffered) {
  const std::string unclear = "Fehler: empfangene Versionsinformation unverständlich";
  Serve("update.ini", "[KM470Programm]\r\nName=dynlog.exe\r\nVersion=-1\r\n");
  ClickUpdate();
  EXPECT_EQ(Log().size(), 3u);
  EXPECT_EQ(Log().back(), unclear);
  EXPECT_EQ(questions, Lines{});
  ExpectCleanEnd({"dynlog.exe"});

  // Missing, too long for a version, or with control characters: nothing to put to the user.
  for (const std::string& absurd :
       {std::string(), "Version=" + std::string(65, '1'), "Version=" + std::string(60000, '1'),
        std::string("Version=1.0\t2"), std::string("Version=1.0\x01")}) {
    Serve("update.ini", "[KM470Programm]\r\nName=dynlog.exe\r\n" + absurd + "\r\n");
    ClickUpdate();
    EXPECT_EQ(Log().back(), unclear) << absurd.substr(0, 20);
    EXPECT_EQ(questions, Lines{});
  }
  Serve("update.ini", "[KM470Programm]\r\nName=dynlog.exe\r\nVersion=" + std::string(64, '1'));
  ClickUpdate();
  EXPECT_EQ(questions.size(), 1u);

  Serve("update.ini", "[KM470Programm]\r\nName=dynlog.exe\r\nVersion=\r\n");
  ClickUpdate();
  EXPECT_EQ(
      questions,
      Lines{"downloadbare Version :     ihre aktuelle Version: Version 1.0.0.1     download?"});
  EXPECT_EQ(Log().size(), 2u);
  ExpectCleanEnd({"dynlog.exe"});
}

TEST_F(ProgramUpdateTest, CancelLeavesTheLogTheButtonAndNoFiles) {
  ServeUpdate();
  bool sawProgress = false;
  onQuestion = [&] { sawProgress = Log().back() == Progress(kList.size(), kList.size()); };
  answer = IDCANCEL;
  ClickUpdate();
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(questions, Lines{kQuestion});
  EXPECT_EQ(Log(), (Lines{"Abfrage Versionsinformation", Progress(kList.size(), kList.size())}));
  ExpectCleanEnd({"dynlog.exe"});
  EXPECT_EQ(errors.size(), 0u);
}

TEST_F(ProgramUpdateTest, CutOffTransfersAreNoDownloads) {
  UseServer("cut"); // every body ends after 100 bytes, whatever length was announced
  answer = IDOK;
  Serve("update.ini", kList + "; " + std::string(200, '-') + "\r\n");
  ClickUpdate();
  EXPECT_EQ(Log().back(), "Fehler: Versionsinformation kann nicht gelesen werden");
  EXPECT_EQ(questions, Lines{});

  ServeUpdate(); // the list fits into 100 bytes, the program file does not
  ClickUpdate();
  EXPECT_EQ(questions, Lines{kQuestion});
  EXPECT_EQ(Log(), (Lines{"Abfrage Versionsinformation", Progress(kList.size(), kList.size()),
                          "Download dynlog.ex_", Progress(100, 200000), "Fehler: keine Datei da"}));
  ExpectCleanEnd({"dynlog.exe"});
}

TEST_F(ProgramUpdateTest, UnreachableServerCleansUpBeforeTheErrorBoxAndTheNextUpdateRuns) {
  ServeUpdate();
  UseServer("closed");
  ClickUpdate();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_FALSE(errors[0].text.empty());
  EXPECT_TRUE(errors[0].buttonEnabled);
  EXPECT_EQ(errors[0].tempFiles, Lines{});
  EXPECT_EQ(errors[0].programFiles, Lines{"dynlog.exe"});
  // The log ends with the server and the reason.
  EXPECT_EQ(Log(), (Lines{"Abfrage Versionsinformation", "",
                          "Update fehlgeschlagen (Server " + Host() +
                              "): " + errors[0].text.substr(0, errors[0].text.size() - 1)}));

  // One failure does not spoil the rest of the run.
  UseServer("ok");
  about->Button4.Click();
  EXPECT_EQ(questions, Lines{kQuestion});
  EXPECT_EQ(errors.size(), 1u);
  ExpectCleanEnd({"dynlog.exe"});
}

TEST_F(ProgramUpdateTest, AServerThatStopsAnsweringEndsTheUpdateByTimeOut) {
  EXPECT_EQ(about->ProgramUpdate.HTTP1.TimeOut, 30000);
  about->ProgramUpdate.HTTP1.TimeOut = 1000; // the waits of the test stay short
  ServeUpdate();
  UseServer("hang");
  ClickUpdate();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text.find("abgebrochen"), std::string::npos) << errors[0].text;
  EXPECT_TRUE(errors[0].buttonEnabled);
  EXPECT_EQ(errors[0].tempFiles, Lines{});
  ExpectCleanEnd({"dynlog.exe"});
}

TEST_F(ProgramUpdateTest, FailureInTheMiddleOfADownloadLeavesNoPartOfIt) {
  // The list arrives at once, then the program file comes in pieces 3 s apart: with the time-out
  // lowered once the user has agreed, the download breaks off after its first piece.
  UseServer("slow");
  ServeUpdate();
  answer = IDOK;
  onQuestion = [this] { about->ProgramUpdate.HTTP1.TimeOut = 1000; };
  ClickUpdate();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text.find("abgebrochen"), std::string::npos) << errors[0].text;
  EXPECT_EQ(errors[0].programFiles, Lines{"dynlog.exe"});
  EXPECT_EQ(errors[0].tempFiles, Lines{});
  EXPECT_TRUE(errors[0].buttonEnabled);
  EXPECT_EQ(Log(),
            (Lines{"Abfrage Versionsinformation", Progress(kList.size(), kList.size()),
                   "Download dynlog.ex_", Progress(1000, 200000),
                   "Update fehlgeschlagen (Server " + Host() + "): Socket-send abgebrochen"}));
  ExpectCleanEnd({"dynlog.exe"});
}

// Closing the window during an update ends it as if it had not been asked for: nothing replaced,
// nothing left behind, the button back, no question over the main window.
TAboutBox* closeTarget = nullptr;
std::function<bool()> closeWhen;
bool closeViaOk = false;

// Closes the info window, with OK or the close box, once closeWhen says it is time.
void CALLBACK CloseWhenDue(HWND, UINT, UINT_PTR, DWORD) {
  if (!closeWhen || !closeWhen())
    return;
  closeWhen = nullptr;
  if (closeViaOk)
    closeTarget->Button1.Click();
  else
    SendMessageW(closeTarget->Handle(), WM_CLOSE, 0, 0);
}

TEST_F(ProgramUpdateTest, ClosingTheWindowCancelsTheUpdate) {
  closeTarget = about.get();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseWhenDue);
  answer = IDOK;
  about->ProgramUpdate.HTTP1.TimeOut = 20000; // only the close can end these waits in time
  WriteBytes(programFolder / "update.exe", "old updater");

  const struct {
    const char* server;
    bool viaOk;
    std::function<bool()> when;
    std::size_t questions;
  } cases[] = {
      // While the version list is awaited from a server that never answers.
      {"hang", false, [] { return true; }, 0},
      // While the program file trickles in, with the OK button.
      {"slow", true, [this] { return Log().size() == 4 && !Log()[3].empty(); }, 1},
      // In the second between "Download OK" and the start of the updater.
      {"ok", false, [this] { return !Log().empty() && Log().back() == "Download OK"; }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    UseServer(c.server);
    ServeUpdate();
    about->Show();
    closeViaOk = c.viaOk;
    closeWhen = c.when;
    const ULONGLONG start = GetTickCount64();
    ClickUpdate();
    EXPECT_LT(GetTickCount64() - start, 10000u);
    EXPECT_EQ(errors.size(), 0u);
    EXPECT_EQ(questions.size(), c.questions);
    EXPECT_FALSE(about->Visible());
    EXPECT_EQ(Log().back(), "Update abgebrochen");
    ExpectCleanEnd({"dynlog.exe", "update.exe"});
    EXPECT_EQ(ReadBytes(programFolder / "update.exe"), "old updater");
  }
  KillTimer(nullptr, timer);
  closeWhen = nullptr;
}

// The update against every hostile reply the update server knows, each on one of the three files.
// Only a sound reply gets through: for the version list that means the question is asked (and
// answered with Cancel), for a program file that the update goes through. Anything else leaves
// the program folder as it was and no temporary file behind, says so, and ends within the
// time-out.
TEST_F(ProgramUpdateTest, HostileRepliesNeverChangeTheProgramFolder) {
  // Reset: a connection reset may reach the program as the socket error (an error box with its
  // code) or, as under Wine, as the end of the connection (the failed download's log line).
  enum Outcome { Offered, Installed, NoList, NoFile, Error, Reset };
  const std::string headerTooLong = "Antwortkopf des Servers ist länger als 65536 Bytes";
  const std::string control = "Weiterleitung abgelehnt: Steuerzeichen in der Adresse";
  const std::string scheme = "Weiterleitung abgelehnt: nur http-Adressen werden befolgt";
  const struct {
    const char* mode;
    const char* file;
    Outcome outcome;
    std::string error;          // Error: the error box's text (or the part that counts)
    std::string limitLine = {}; // a line before the last one
  } cases[] = {
      {"status-only", "update.exe", NoFile},
      {"status-only", "update.ini", NoList},
      {"close-at-once", "update.ini", NoList},
      {"reset-at-once", "update.ini", Reset},
      {"length-zero-body", "dynlog.ex_", NoFile},
      {"chunked", "update.exe", NoFile},
      {"chunked", "update.ini", NoList},
      {"partial", "dynlog.ex_", NoFile},
      {"length-no-space-short", "update.exe", NoFile},
      {"length-no-space", "update.ini", Offered},
      {"length-tab", "dynlog.ex_", Installed},
      {"status-no-reason", "update.ini", Offered},
      {"status-two-blanks", "update.ini", Offered},
      {"status-huge", "update.ini", NoList},
      {"length-negative", "update.ini", NoList},
      {"length-text", "dynlog.ex_", NoFile},
      {"length-huge", "update.ini", NoList},
      {"length-2g", "dynlog.ex_", NoFile},
      {"length-4g-wrap", "update.exe", NoFile},
      {"length-twice", "update.ini", NoList},
      {"body-longer", "dynlog.ex_", NoFile},
      {"many-headers", "update.ini", Error, headerTooLong},
      {"header-10mb", "update.ini", Error, headerTooLong},
      {"header-no-colon", "update.ini", NoList},
      {"folded-header", "update.ini", NoList},
      {"garbage", "update.ini", NoList},
      {"http09", "update.ini", NoList},
      {"reset-before-body", "dynlog.ex_", Reset},
      {"reset-mid-body", "update.exe", Reset},
      {"stall-header", "update.ini", Error, "Socket-readln abgebrochen"},
      {"stall-mid-body", "dynlog.ex_", Error, "Socket-send abgebrochen"},
      {"never-answer", "update.ini", Error, "Socket-readln abgebrochen"},
      {"drip:2", "update.ini", Offered},
      {"cr-only", "update.ini", NoList},
      {"lf-only", "update.exe", Installed},
      {"nul-status", "update.ini", NoList},
      {"nul-length", "dynlog.ex_", NoFile},
      {"not-program", "dynlog.ex_", NoFile},
      {"not-program", "update.exe", NoFile},
      {"empty-no-length", "update.ini", NoList},
      {"server-error", "update.ini", NoList},
      {"not-found", "update.ini", NoList},
      {"not-found", "dynlog.ex_", NoFile},
      {"not-found", "update.exe", NoFile}, // the program file that did arrive is not kept
      {"close-early:100", "dynlog.ex_", NoFile},
      {"no-length", "update.ini", Offered},
      {"redirect-loop", "update.ini", Error, "Zu viele Weiterleitungen"},
      {"redirect-same-host", "update.ini", Offered},
      {"redirect-path", "update.ini", Offered},
      {"redirect-cross-host", "update.ini", NoList}, // no credentials there: 401
      {"redirect-no-location", "update.ini", Error, "Weiterleitung ohne Zieladresse"},
      // Broken off at the limit, with a line that names it.
      {"huge:100000000", "update.ini", NoList, "", "Fehler: update.ini ist größer als 65536 Bytes"},
      {"huge-no-length:100000000", "update.exe", NoFile, "",
       "Fehler: update.exe ist größer als 67108864 Bytes"},
      {"redirect-ftp", "update.ini", Error, scheme},
      {"redirect-file", "update.exe", Error, scheme},
      {"redirect-https", "update.ini", Error, "HTTP Secure Socket is not supported"},
      {"redirect-crlf", "update.ini", Error, control},
      {"redirect-nul", "update.ini", Error, control},
  };
  UseServer("hostile");
  about->ProgramUpdate.HTTP1.TimeOut = 1500; // the silent servers end the waits soon
  const std::string oldProgram = "MZ the program file of an earlier update";
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " on " + c.file);
    UseProgram("dynlog.exe");
    WriteBytes(programFolder / "dynlog.ex_", oldProgram);
    WriteBytes(programFolder / "update.exe", "MZ old updater");
    WriteBytes("updateserver/modes-hostile",
               std::string("/spezmemb/download/software/") + c.file + "=" + c.mode + "\n");
    ServeUpdate();
    errors.clear();
    endRequests = 0;
    answer = std::string(c.file) == "update.ini" ? IDCANCEL : IDOK;
    const ULONGLONG start = GetTickCount64();
    ClickUpdate();
    EXPECT_LT(GetTickCount64() - start, 10000u);
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
    EXPECT_TRUE(about->Button4.Enabled());

    if (c.outcome == Installed) {
      EXPECT_EQ(errors.size(), 0u);
      EXPECT_EQ(Log().back(), "Download OK");
      EXPECT_EQ(endRequests, 1);
      EXPECT_TRUE(ReadBytes(programFolder / "dynlog.ex_") == newProgram);
      EXPECT_TRUE(ReadBytes(programFolder / "update.exe") == updater);
      // The updater runs; let it finish before its folder is emptied.
      for (int waited = 0; waited < 300 && !fs::exists(programFolder / "updater-ran.txt"); ++waited)
        PumpFor(100);
      PumpFor(300);
      continue;
    }
    EXPECT_EQ(endRequests, 0);
    EXPECT_EQ(ReadBytes(programFolder / "dynlog.ex_"), oldProgram);
    EXPECT_EQ(ReadBytes(programFolder / "update.exe"), "MZ old updater");
    EXPECT_EQ(FilesIn(programFolder), (Lines{"dynlog.ex_", "dynlog.exe", "update.exe"}));
    if (!c.limitLine.empty()) {
      ASSERT_GE(Log().size(), 2u);
      EXPECT_EQ(Log()[Log().size() - 2], c.limitLine);
    }
    switch (c.outcome) {
    case Offered:
      EXPECT_EQ(errors.size(), 0u);
      EXPECT_EQ(questions, Lines{kQuestion});
      break;
    case NoList:
      EXPECT_EQ(errors.size(), 0u);
      EXPECT_EQ(Log().back(), "Fehler: Versionsinformation kann nicht gelesen werden");
      EXPECT_EQ(questions, Lines{});
      break;
    case NoFile:
      EXPECT_EQ(errors.size(), 0u);
      EXPECT_EQ(Log().back(), "Fehler: keine Datei da");
      break;
    case Reset:
      if (errors.empty())
        EXPECT_EQ(Log().back(), std::string(c.file) == "update.ini"
                                    ? "Fehler: Versionsinformation kann nicht gelesen werden"
                                    : "Fehler: keine Datei da");
      else
        EXPECT_EQ(errors[0].text, "10054:Connection reset by peer.");
      EXPECT_LE(errors.size(), 1u);
      break;
    default:
      EXPECT_EQ(errors.size(), 1u);
      EXPECT_EQ(Log().back(), "Update fehlgeschlagen (Server " + Host() + "): " + c.error);
      for (const ErrorSeen& e : errors) {
        EXPECT_EQ(e.text, c.error + "."); // the error box ends a sentence
        EXPECT_EQ(e.tempFiles, Lines{});
        EXPECT_TRUE(e.buttonEnabled);
      }
      break;
    }
  }
}

// Every request names its whole target: a redirect of the version list to another host, port or
// both changes that one request, and credentials and cookie go only to the configured server.
TEST_F(ProgramUpdateTest, ARedirectChangesOneRequestAndCredentialsStayAtHome) {
  const auto at = [](const char* address, const char* server) {
    return std::string(address) + ":" + std::to_string(ServerPort(server));
  };
  const std::string hostile = at("127.0.0.1", "hostile"), dir = "/spezmemb/download/software/";
  const struct {
    std::string home, seen, modes, target; // as configured, as the server saw it
  } cases[] = {{hostile, hostile, "hostile", at("127.0.0.2", "far")},
               {"127.0.0.3", "127.0.0.3:80", "home80", "127.0.0.2:80"},
               {"127.0.0.3", "127.0.0.3:80", "home80", at("127.0.0.3", "near80")},
               {"127.0.0.3", "127.0.0.3:80", "home80", at("127.0.0.2", "far")}};
  answer = IDOK;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.home + " to " + c.target);
    if (ServerPort(c.modes.c_str()) == 0)
      continue; // port 80 was not to be had
    UseHost(c.home);
    ServeUpdate();
    WriteBytes("updateserver/modes-" + c.modes,
               dir + "update.ini=redirect:http://" + c.target + dir + "update.ini\n");
    fs::remove("updateserver/requests.log");
    ClickUpdate();
    fs::remove("updateserver/modes-" + c.modes);
    EXPECT_EQ(Log().back(), "Download OK");
    const std::string home = c.seen + " " + dir;
    EXPECT_EQ(ReadBytes("updateserver/requests.log"),
              home + "update.ini auth=yes cookie=-\n" + c.target + " " + dir +
                  "update.ini auth=no cookie=-\n" + home +
                  "dynlog.ex_ auth=yes cookie=sid=update\n" + home +
                  "update.exe auth=yes cookie=sid=update\n");
    for (int waited = 0; waited < 300 && !fs::exists(programFolder / "updater-ran.txt"); ++waited)
      PumpFor(100);
    PumpFor(300);
    UseProgram("dynlog.exe");
  }
}

// Both files are replaced or neither, and they are the files that were checked: an old file that
// cannot be replaced (held open by another program) leaves the folder byte for byte as it was, and
// a downloaded file cannot be rewritten in the second after "Download OK".
std::function<void()> duringPause;
const Lines* pauseLog = nullptr;
void CALLBACK RunDuringPause(HWND, UINT, UINT_PTR, DWORD) {
  if (duringPause && !pauseLog->empty() && pauseLog->back() == "Download OK")
    std::exchange(duringPause, nullptr)();
}

TEST_F(ProgramUpdateTest, BothCheckedFilesOrNeither) {
  answer = IDOK;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunDuringPause);
  for (const std::string held : {"dynlog.ex_", "update.exe", ""}) {
    SCOPED_TRACE(held);
    UseProgram("dynlog.exe");
    WriteBytes(programFolder / "dynlog.ex_", "MZ old program");
    WriteBytes(programFolder / "update.exe", "MZ old updater");
    ServeUpdate();
    const auto before = Contents(programFolder);
    base::UniqueFile open(CreateFileW((programFolder / held).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    int rewritten = 0;
    duringPause = [&] {
      for (const auto& e : fs::directory_iterator(programFolder))
        if (e.path().filename().wstring().starts_with(L"~tm") &&
            base::UniqueFile(CreateFileW(e.path().c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, TRUNCATE_EXISTING, 0, nullptr)))
          ++rewritten;
    };
    pauseLog = &about->Memo1.Lines();
    ClickUpdate();
    open.reset();
    EXPECT_EQ(rewritten, 0);
    if (held.empty()) {
      EXPECT_TRUE(ReadBytes(programFolder / "dynlog.ex_") == newProgram);
      EXPECT_TRUE(ReadBytes(programFolder / "update.exe") == updater);
      for (int waited = 0; waited < 300 && !fs::exists(programFolder / "updater-ran.txt"); ++waited)
        PumpFor(100);
      continue;
    }
    EXPECT_TRUE(Contents(programFolder) == before);
    EXPECT_EQ(Log().back().rfind("Fehler: " + held + " kann nicht ersetzt werden: ", 0), 0u)
        << Log().back();
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
  }
  KillTimer(nullptr, timer);
}

} // namespace
