// The program update of the info window, end to end: a real info window, the update server script
// on loopback (it checks the credentials), real files in a program folder and a temporary folder
// of the test's own, and a stand-in updater that records how it was started.
#include "base/handles.h"
#include "info/updatejournal.h"
#include "info/updatesignature.h"
#include "support/testdata.h"
#include "updatetestfiles.h"

#include <functional>

namespace {

using namespace updatetest;

const std::string kList = "[KM470Programm]\r\nName=dynlog.exe\r\nVersion=1.0.0.2\r\n";
const std::string kQuestion = "downloadbare Version :1.0.0.2     ihre aktuelle Version: "
                              "Version 1.0.0.1     download?";

class ProgramUpdateTest : public UpdateTest {
protected:
  void SetUp() override {
    UpdateTest::SetUp();
    UseProgram("dynlog.exe");
  }

  // The running program, as the update sees it, alone in its folder.
  void UseProgram(const std::string& fileName) {
    for (const auto& entry : fs::directory_iterator(programFolder))
      fs::remove(entry.path());
    programPath = base::Narrow((programFolder / base::Widen(fileName)).wstring());
    WriteBytes(base::Widen(programPath), "MZ the running program");
    about->ProgramUpdate.ProgramPath = programPath;
  }

  // Serves a complete update: the list, the new program file and the stand-in updater.
  void ServeUpdate() {
    Serve("update.ini", kList);
    Serve("dynlog.ex_", newProgram);
    Serve("update.exe", updater);
  }

  // After a run that did not start the updater: nothing left behind, the button back on.
  void ExpectCleanEnd(const Lines& programFiles) {
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
    EXPECT_EQ(FilesIn(programFolder), programFiles);
    EXPECT_TRUE(about->Button4.Enabled());
    EXPECT_EQ(endRequests, 0);
  }

  std::string programPath;
  const std::string newProgram = "MZ" + testsupport::Pattern(199998); // a Windows program starts so
  const std::string updater = ReadBytes("update_probe.exe");
};

TEST_F(ProgramUpdateTest, WholeRunReplacesTheFilesAndStartsTheUpdaterWithTheQuotedPath) {
  // A build without the vendor's key says so, and neither asks for nor minds a signature.
  EXPECT_FALSE(dynlog::ProgramUpdate::SignaturesRequired());
  EXPECT_EQ(about->SignatureLabel.Text(), "Updates ohne Signaturprüfung");
  // A server that stops answering must not hold the update for ever.
  EXPECT_EQ(about->ProgramUpdate.HTTP1.TimeOut, 30000);
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

  // The updater was started in the program folder with one parameter, the program path, quoted
  // on its command line (the record: command line, argument count, arguments, folder, version).
  AwaitUpdater();
  const std::string ran = ReadBytes(programFolder / "updater-ran.txt");
  EXPECT_TRUE(ran.ends_with(" \"" + programPath + "\"\n2\n" + programPath + "\n" +
                            base::Narrow(programFolder.wstring()) + "\n2.10.0.7\n"))
      << ran;
  EXPECT_EQ(FilesIn(programFolder),
            (Lines{"dynlog.ex_", "dynlog.exe", "update.exe", "updater-ran.txt"}));
}

// The version list read as the system reads an ini file: only a list for this very program with
// a readable version leads to the question; answered with Cancel, nothing follows it.
TEST_F(ProgramUpdateTest, TheVersionListDecidesWhetherTheUserIsAsked) {
  const std::string mismatch = "Fehler: Anwendungsname und Listen-Dateiname unterschiedlich";
  const std::string unclear = "Fehler: empfangene Versionsinformation unverständlich";
  const std::string head = "[KM470Programm]\r\nName=dynlog.exe\r\n";
  const struct {
    const char* program;
    std::string list;
    std::string error; // the last line; none: the user is asked
    std::string question = kQuestion;
  } cases[] = {
      {"dynlog.exe", kList, ""},
      {"DYNLOG.EXE", kList, mismatch}, // the file name is compared exactly
      // Without the section the name reads as missing, before the version is looked at.
      {"dynlog.exe", "[Anderes]\r\nName=dynlog.exe\r\nVersion=1.0.0.2\r\n", mismatch},
      // Section and key names are matched as the system matches them: letter case does not count.
      {"dynlog.exe", "[km470programm]\r\nNAME=dynlog.exe\r\nversion=1.0.0.2\r\n", ""},
      {"dynlog.exe", head, unclear},
      {"dynlog.exe", head + "Version=" + std::string(60000, '1') + "\r\n", unclear}, // not cut
      {"dynlog.exe", head + "Version=\r\n", "",
       "downloadbare Version :     ihre aktuelle Version: Version 1.0.0.1     download?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.program << " " << c.list.substr(0, 60));
    UseProgram(c.program);
    Serve("update.ini", c.list);
    ClickUpdate();
    Lines log{"Abfrage Versionsinformation", Progress(c.list.size(), c.list.size())};
    if (!c.error.empty())
      log.push_back(c.error);
    EXPECT_EQ(Log(), log);
    EXPECT_EQ(questions, c.error.empty() ? Lines{c.question} : Lines{});
    EXPECT_EQ(errors.size(), 0u);
    ExpectCleanEnd({c.program});
  }
}

// Closing the window during an update ends it as if it had not been asked for: nothing replaced,
// nothing left behind, the button back, no question over the main window, no further request.
TEST_F(ProgramUpdateTest, ClosingTheWindowCancelsTheUpdate) {
  answer = IDOK;
  // Only the close can end these waits without an error box.
  about->ProgramUpdate.HTTP1.TimeOut = 20000;
  WriteBytes(programFolder / "update.exe", "old updater");
  const auto listAwaited = [] { return Requested().size() == 1; };
  const auto trickling = [this] { return Log().size() == 4 && !Log()[3].empty(); };
  const auto downloaded = [this] { return LogEndsWith("Download OK"); };
  const struct {
    const char* server;
    bool viaOk;
    std::function<bool()> when;
    std::size_t questions;
    Lines requested;
  } cases[] = {
      // While the version list is awaited from a server that never answers; while the program
      // file trickles in, with the OK button; in the second between "Download OK" and the start
      // of the updater.
      {"hang", false, listAwaited, 0, {"update.ini"}},
      {"slow", true, trickling, 1, {"update.ini", "dynlog.ex_"}},
      {"ok", false, downloaded, 1, {"update.ini", "dynlog.ex_", "update.exe"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    UseServer(c.server);
    ServeUpdate();
    fs::remove("updateserver/requests.log");
    about->Show();
    Once(c.when, [this, viaOk = c.viaOk] {
      if (viaOk)
        about->Button1.Click();
      else
        SendMessageW(about->Handle(), WM_CLOSE, 0, 0);
    });
    ClickUpdate();
    EXPECT_EQ(errors.size(), 0u);
    EXPECT_EQ(questions.size(), c.questions);
    EXPECT_FALSE(about->Visible());
    EXPECT_EQ(Log().back(), "Update abgebrochen");
    EXPECT_EQ(Requested(), c.requested);
    ExpectCleanEnd({"dynlog.exe", "update.exe"});
    EXPECT_EQ(ReadBytes(programFolder / "update.exe"), "old updater");
  }
}

// The update against hostile replies from the update server, each on one of the three files (the
// header forms themselves are the HTTP client's tests). Only a sound reply gets through: for the
// version list that means the question is asked (and answered with Cancel), for a program file
// that the update goes through. Anything else leaves the program folder as it was and no
// temporary file behind, and says so: in the log, or in the error box when the exchange failed.
TEST_F(ProgramUpdateTest, HostileRepliesNeverChangeTheProgramFolder) {
  const std::string noList = "Fehler: Versionsinformation kann nicht gelesen werden";
  const std::string noFile = "Fehler: keine Datei da";
  const std::string installed = "Download OK";
  const struct {
    const char* mode;
    const char* file;
    std::string last; // the log's last line, or the error box's text; none: the user is asked
    bool errorBox = false;
    std::string limitLine = {}; // the line before the last
    std::int32_t deadline = 0;  // of each download; 0: the update's own
  } cases[] = {
      {"status-only", "update.exe", noFile}, // the header cut off
      {"chunked", "update.ini", noList},
      // A reset may reach the program as the socket error (an error box with its code) or, as
      // under Wine, as the end of the connection.
      {"reset-at-once", "update.ini", noList},
      {"reset-mid-body", "update.exe", noFile},
      {"body-longer", "dynlog.ex_", noFile},
      {"close-early:100", "dynlog.ex_", noFile},
      {"not-program", "dynlog.ex_", noFile},
      {"not-program", "update.exe", noFile},
      {"not-found", "update.ini", noList},
      {"not-found", "update.exe", noFile}, // the program file that did arrive is not kept
      {"nul-status", "update.ini", noList},
      {"drip:2", "update.ini", ""},
      {"drip:300", "update.ini", "Zeitlimit der Anfrage (1 s) überschritten", true, {}, 1000},
      {"redirect-path", "update.ini", ""},
      {"no-length", "dynlog.ex_", installed},
      {"stall-mid-body", "dynlog.ex_", "Socket-send abgebrochen", true},
      {"never-answer", "update.ini", "Socket-readln abgebrochen", true},
      {"many-headers", "update.ini", "Antwortkopf des Servers ist länger als 65536 Bytes", true},
      {"redirect-crlf", "update.ini",
       "Weiterleitung nach \"/spezmemb/download/software/update.ini%0DX-Injected:%20yes\" "
       "abgelehnt: Steuerzeichen in der Adresse",
       true},
      // Broken off at the limit, announced or arrived, with a line that names it.
      {"huge:100000000", "update.ini", noList, false,
       "Fehler: update.ini ist größer als 65536 Bytes"},
      {"length-2g", "dynlog.ex_", noFile, false,
       "Fehler: dynlog.ex_ ist größer als 67108864 Bytes"},
      {"huge-no-length:100000000", "update.exe", noFile, false,
       "Fehler: update.exe ist größer als 67108864 Bytes"},
  };
  UseServer("hostile");
  // The two silent servers end the wait after 1.5 s; the others send at once, and a busy machine
  // may take long to send megabytes of header: the update's own 30 s for them, a hang guard only.
  const std::int32_t ownTimeOut = about->ProgramUpdate.HTTP1.TimeOut;
  std::int32_t deadline = 0;
  about->ProgramUpdate.DownloadDeadline = [&deadline](std::int64_t limit) {
    return deadline != 0 ? deadline : THttpClient::DeadlineFor(limit);
  };
  const std::string oldProgram = "MZ the program file of an earlier update";
  const std::string oldUpdater = "MZ old updater";
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " on " + c.file);
    deadline = c.deadline;
    const std::string_view mode = c.mode;
    about->ProgramUpdate.HTTP1.TimeOut =
        mode == "never-answer" || mode == "stall-mid-body" ? 1500 : ownTimeOut;
    UseProgram("dynlog.exe");
    WriteBytes(programFolder / "dynlog.ex_", oldProgram);
    WriteBytes(programFolder / "update.exe", oldUpdater);
    WriteBytes("updateserver/modes-hostile",
               std::string("/spezmemb/download/software/") + c.file + "=" + c.mode + "\n");
    ServeUpdate();
    answer = std::string(c.file) == "update.ini" ? IDCANCEL : IDOK;
    ClickUpdate();
    const bool installs = c.last == installed;
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
    EXPECT_TRUE(about->Button4.Enabled());
    EXPECT_EQ(endRequests, installs ? 1 : 0);
    EXPECT_TRUE(ReadBytes(programFolder / "dynlog.ex_") == (installs ? newProgram : oldProgram));
    EXPECT_TRUE(ReadBytes(programFolder / "update.exe") == (installs ? updater : oldUpdater));
    if (installs)
      AwaitUpdater();
    else
      EXPECT_EQ(FilesIn(programFolder), (Lines{"dynlog.ex_", "dynlog.exe", "update.exe"}));
    EXPECT_TRUE(c.limitLine.empty() || LineBeforeLast() == c.limitLine) << LineBeforeLast();
    if (std::string(c.mode).starts_with("reset") && !errors.empty()) {
      EXPECT_EQ(errors[0].text, "10054:Connection reset by peer.");
    } else if (c.errorBox) {
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_EQ(errors[0].text, c.last + "."); // the error box ends a sentence
      EXPECT_EQ(errors[0].tempFiles, Lines{});
      EXPECT_TRUE(errors[0].buttonEnabled);
      EXPECT_EQ(Log().back(), "Update fehlgeschlagen (Server " + Host() + "): " + c.last);
    } else {
      EXPECT_EQ(errors.size(), 0u);
      if (c.last.empty())
        EXPECT_EQ(questions, Lines{kQuestion});
      else
        EXPECT_EQ(Log().back(), c.last);
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
    AwaitUpdater();
    UseProgram("dynlog.exe");
  }
}

// Both files are replaced or neither, and they are the files that were checked: an old file that
// cannot be replaced (held open by another program) leaves the folder byte for byte as it was, and
// a downloaded file cannot be rewritten in the second after "Download OK". (That both are
// replaced when nothing stands in the way is the whole run's case.)
TEST_F(ProgramUpdateTest, BothCheckedFilesOrNeither) {
  answer = IDOK;
  for (const std::string held : {"dynlog.ex_", "update.exe"}) {
    SCOPED_TRACE(held);
    WriteBytes(programFolder / "dynlog.ex_", "MZ old program");
    WriteBytes(programFolder / "update.exe", "MZ old updater");
    ServeUpdate();
    const auto before = Contents(programFolder);
    base::UniqueFile open(CreateFileW((programFolder / held).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    int downloads = 0, rewritten = 0;
    Once([this] { return LogEndsWith("Download OK"); },
         [&] {
           for (const auto& e : fs::directory_iterator(programFolder)) {
             if (!e.path().filename().wstring().starts_with(L"dynlog-update-"))
               continue;
             ++downloads;
             rewritten += !!base::UniqueFile(
                 CreateFileW(e.path().c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             TRUNCATE_EXISTING, 0, nullptr));
           }
         });
    ClickUpdate();
    open.reset();
    EXPECT_EQ(downloads, 2);
    EXPECT_EQ(rewritten, 0);
    EXPECT_TRUE(Contents(programFolder) == before);
    EXPECT_EQ(Log().back().rfind("Fehler: " + held + " kann nicht ersetzt werden: ", 0), 0u)
        << Log().back();
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
  }
}

// A program killed after both new files stood in their places, with half a download beside them:
// the next start finishes the install from its journal (the new files' SHA-256 read from disk) and
// removes the update's own files, but no file of the user's.
TEST_F(ProgramUpdateTest, TheNextStartFinishesAKilledInstall) {
  const std::string folder = base::Narrow(programFolder.wstring()) + "\\";
  std::vector<dynlog::JournalEntry> journal;
  for (const std::string name : {"dynlog.ex_", "update.exe"}) {
    const std::string aside = dynlog::UpdateTempName(static_cast<std::uint32_t>(journal.size()));
    WriteBytes(programFolder / aside, "MZ old " + name);
    WriteBytes(programFolder / name, name == "update.exe" ? updater : newProgram);
    const base::UniqueFile file(dynlog::OpenUnwritable(folder + name, false));
    const std::optional<dynlog::FileContent> content = dynlog::ReadContent(file.get());
    ASSERT_TRUE(content);
    journal.push_back(
        {name, dynlog::UpdateTempName(9), aside, content->size, dynlog::HexText(content->sha256)});
  }
  WriteBytes(programFolder / dynlog::UpdateTempName(7), "half a download");
  WriteBytes(programFolder / "~tm12.tmp", "the user's");
  dynlog::WriteJournal(folder, journal).reset(); // the program is killed: the journal stays
  EXPECT_EQ(dynlog::RepairUpdateFolderOnDisk(folder), dynlog::RepairOutcome::Completed);
  EXPECT_EQ(FilesIn(programFolder), (Lines{"dynlog.ex_", "dynlog.exe", "update.exe", "~tm12.tmp"}));
  EXPECT_TRUE(ReadBytes(programFolder / "dynlog.ex_") == newProgram);
}

} // namespace
