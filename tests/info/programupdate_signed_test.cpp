// The program update of a build that carries the vendor's public key: a real info window, the
// update server script on loopback, and update folders signed by tools/sign-update with the key
// this test program was built with (and with another one).
#include "updatetestfiles.h"

#include <algorithm>

namespace {

using namespace updatetest;

const fs::path kSets = "signed/sets";
const fs::path kModes = "updateserver/modes-ok"; // the server's misbehaviour per path

// Changes one byte of a served file, as a machine in the middle would.
void FlipByte(const std::string& name, std::size_t at) {
  std::string bytes = ReadBytes(kWww / name);
  bytes[at % bytes.size()] ^= 0x01;
  WriteBytes(kWww / name, bytes);
}

class SignedUpdateTest : public UpdateTest {
protected:
  void SetUp() override {
    UpdateTest::SetUp();
    ASSERT_TRUE(fs::exists(kSets / "good" / "update.sig"))
        << "the signed update folders are missing (info_signed_sets)";
    // The label says less than the program file (2.10.0.7): only the file counts.
    about->Label8.SetText("Version 0.0.0.1");
    answer = IDOK;
  }

  // The program folder holding the running program and the files of an earlier update.
  void FreshProgramFolder() {
    for (const auto& entry : fs::directory_iterator(programFolder))
      fs::remove(entry.path());
    fs::copy_file("update_probe.exe", programFolder / "dynlog.exe"); // version 2.10.0.7
    WriteBytes(programFolder / "dynlog.ex_", "MZ old program");
    WriteBytes(programFolder / "update.exe", "MZ old updater");
    about->ProgramUpdate.ProgramPath = base::Narrow((programFolder / "dynlog.exe").wstring());
  }

  // While update.sig arrives, a process of the same user rewrites the downloaded update.ini to
  // offer a version no signature covers (every file of the temporary folder that holds the list).
  void RewriteListWhileSignatureArrives() {
    WriteBytes(kModes, "/spezmemb/download/software/update.sig=slow:8:100\n");
    std::string changed = ReadBytes(kWww / "update.ini");
    const std::string listed = changed;
    changed.replace(changed.find("3.0.0.0"), 7, "1.0.0.9");
    Once(
        [this] {
          const Lines log = about->Memo1.Lines();
          return std::find(log.begin(), log.end(), "Abfrage Signatur") != log.end();
        },
        [this, listed, changed] {
          for (const auto& entry : fs::directory_iterator(tempFolder))
            if (ReadBytes(entry.path()) == listed)
              std::ofstream(entry.path(), std::ios::binary) << changed;
        });
  }

  // Serves one of the signed folders as it is.
  static void ServeSet(const std::string& set) {
    for (const auto& entry : fs::directory_iterator(kWww))
      fs::remove(entry.path());
    for (const auto& entry : fs::directory_iterator(kSets / set))
      fs::copy_file(entry.path(), kWww / entry.path().filename());
  }
};

// Only a correctly signed newer update is installed and its updater started. Whatever was
// changed on the way, or replayed, nothing in the program folder is replaced, nothing is started
// and nothing is left in the temporary folder. A broken signature is found before the user is
// asked; a damaged file after its download and before anything is replaced.
TEST_F(SignedUpdateTest, OnlyACorrectlySignedNewerUpdateIsInstalled) {
  EXPECT_TRUE(dynlog::ProgramUpdate::SignaturesRequired());
  EXPECT_EQ(about->SignatureLabel.Text(), "Updates nur mit gültiger Signatur");
  const std::string installed = "Download OK";
  const std::string badSignature = "Fehler: Signatur ungültig";
  const std::string damaged = "Fehler: Datei beschädigt";
  const std::string noFile = "Fehler: keine Datei da";
  const std::string notNewer = "Fehler: signierte Version ist nicht neuer als die laufende";
  const struct {
    const char* what;
    const char* set;
    std::function<void()> change;
    std::string line;
    bool asked;
    std::string limitLine = {}; // the line before it
  } cases[] = {
      {"nothing changed", "good", [] {}, installed, true},
      {"a changed byte in update.ini", "good", [] { FlipByte("update.ini", 40); }, badSignature,
       false},
      {"a changed byte in update.sig", "good", [] { FlipByte("update.sig", 10); }, badSignature,
       false},
      {"a changed byte in the program file", "good", [] { FlipByte("dynlog.ex_", 5000); }, damaged,
       true},
      {"a byte added to the program file", "good",
       [] { WriteBytes(kWww / "dynlog.ex_", ReadBytes(kWww / "dynlog.ex_") + "x"); }, noFile, true,
       "Fehler: dynlog.ex_ ist größer als 100000 Bytes"},
      {"a 100 MB update.sig", "good",
       [] { WriteBytes(kModes, "/spezmemb/download/software/update.sig=huge:100000000\n"); },
       badSignature, false, "Fehler: update.sig ist größer als 64 Bytes"},
      {"a changed byte in update.exe", "good", [] { FlipByte("update.exe", 300); }, damaged, true},
      {"no update.sig", "good", [] { fs::remove(kWww / "update.sig"); }, badSignature, false},
      {"an empty update.sig", "good", [] { WriteBytes(kWww / "update.sig", ""); }, badSignature,
       false},
      {"a signature made with another key", "otherkey", [] {}, badSignature, false},
      {"an old signed list replayed", "old", [] {}, notNewer, false},
      {"the running version offered again", "same", [] {}, notNewer, false},
      {"a running program whose version cannot be read", "good",
       [this] { WriteBytes(programFolder / "dynlog.exe", "MZ no version"); },
       "Fehler: Version des laufenden Programms nicht lesbar", false},
      {"a signed list that names no files", "nofiles", [] {},
       "Fehler: signierte Dateiliste unvollständig", false},
      {"update.ini rewritten on disk after its download", "good",
       [this] { RewriteListWhileSignatureArrives(); }, installed, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshProgramFolder();
    ServeSet(c.set);
    c.change();
    const auto before = Contents(programFolder);
    ClickUpdate();
    fs::remove(kModes);
    EXPECT_EQ(errors.size(), 0u);
    EXPECT_EQ(Log().back(), c.line);
    EXPECT_TRUE(c.limitLine.empty() || LineBeforeLast() == c.limitLine) << LineBeforeLast();
    EXPECT_EQ(questions.size(), c.asked ? 1u : 0u);
    const bool installs = c.line == installed;
    EXPECT_EQ(endRequests, installs ? 1 : 0);
    EXPECT_EQ(FilesIn(tempFolder), Lines{});
    if (installs) {
      EXPECT_TRUE(!questions.empty() && questions[0].find("3.0.0.0") != std::string::npos);
      const Lines log = Log();
      EXPECT_NE(std::find(log.begin(), log.end(), "Abfrage Signatur"), log.end());
      for (const char* name : {"dynlog.ex_", "update.exe"})
        EXPECT_TRUE(ReadBytes(programFolder / name) == ReadBytes(kWww / name)) << name;
      AwaitUpdater();
      EXPECT_TRUE(fs::exists(programFolder / "updater-ran.txt")) << "the updater was not started";
    } else {
      EXPECT_TRUE(Contents(programFolder) == before);
    }
    EXPECT_TRUE(about->Button4.Enabled());
  }
}

} // namespace
