// The measurement window's data path against km470sim: which frames become values, and what a
// save leaves on disk.
#include "app/application.h"
#include "dialogs.h"
#include "link/ucom.h"
#include "simulatedunit.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using testsupport::PumpFor;
using testsupport::ReadFile;
using testsupport::SimulatedUnit;
using testsupport::TempWorkDir;

namespace {

class MeasurementWindow : public ::testing::Test {
protected:
  void TearDown() override { ucom::ComClose(); }
  TempWorkDir dir;
};

// A file system of a few KiB, mounted for the test's lifetime (tmpfs; needs root).
class SmallFileSystem {
public:
  explicit SmallFileSystem(int kib) {
    dir_ = "/tmp/dynlog-small-" + std::to_string(GetCurrentProcessId());
    const std::string ok = dir_ + ".mounted";
    testsupport::RunUnixCommand("mkdir -p " + dir_ + " && mount -t tmpfs -o size=" +
                                std::to_string(kib) + "k dynlog-small " + dir_ + " && touch " + ok);
    mounted_ =
        GetFileAttributesA(testsupport::WindowsPathOf(ok).c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(testsupport::WindowsPathOf(ok).c_str());
  }
  ~SmallFileSystem() {
    try {
      testsupport::RunUnixCommand("umount " + dir_ + "; rmdir " + dir_);
    } catch (...) {
    }
  }
  bool Mounted() const { return mounted_; }
  std::string File(const std::string& name) const {
    return testsupport::WindowsPathOf(dir_ + "/" + name);
  }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA(File("*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..")
          names.push_back(name);
      } while (FindNextFileA(find, &entry));
      FindClose(find);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

private:
  std::string dir_;
  bool mounted_ = false;
};

int LoggedFrames(const SimulatedUnit& unit) {
  int frames = 0;
  for (const std::string& line : unit.LogLines())
    frames += line.starts_with("frame ");
  return frames;
}

} // namespace

// km470.ini names a baud rate the dialog does not offer; the port opens at 9600 and the unit
// answers there. It then sends 160 frames a second: "10" keeps every 16th frame, "320" keeps all
// 160, and window and file say so, also once another rate is chosen after Stop.
TEST_F(MeasurementWindow, At9600BaudTheWindowKeepsWhatTheLineSendsAndSaysSo) {
  std::ofstream(dir.Path() + "\\km470.ini") << "[Einstellung]\r\nCOM-Kanal=2\r\nBaudrate=4800\r\n";
  SimulatedUnit unit({.port = 2, .baud = 9600});
  dynlog::ApplicationWindows app(ui::RunMode::Unattended);
  Tfkm470a& w = app.fkm470a;
  w.Show();
  w.Button1.Click();
  ASSERT_TRUE(app.fkm470b.Found());
  EXPECT_EQ(ucom::ComBaud(), 9600);
  EXPECT_EQ(app.fkm470b.RadioGroup2.ItemIndex(), 0) << "the dialog shows the rate that answered";
  const auto recorded = [&] { return w.CurrentRecording().SampleCount(); };
  base::WaitFor(base::MonotonicMs() + 20000, [&] { return recorded() >= 6; }); // hang guard
  w.Button2.Click();
  PumpFor(400); // the frames still on the line
  const int frames = LoggedFrames(unit);
  ASSERT_GE(frames, 33 + 16 * 5); // six values kept: the 33rd frame and five times 16 more
  EXPECT_EQ(recorded(), 1 + (frames - 33) / 16) << frames << " frames";

  app.fkm470d.RadioButton320.SetChecked(true);
  w.Button1.Click();
  base::WaitFor(base::MonotonicMs() + 20000, [&] { return recorded() > 5; }); // hang guard
  for (const char* part : {"Misst", "160 Werte/s", "von 10.000"})
    EXPECT_NE(w.StatusLabel.Text().find(part), std::string::npos) << part;
  // The connection keeps its room at the right of the lowest line, at every size.
  EXPECT_EQ(w.ConnectionLabel.Text(), "COM2, 9600 Baud \xC2\xB7 KM470 V2.03");
  for (const int show : {SW_SHOWNORMAL, SW_MAXIMIZE}) {
    ShowWindow(w.Handle(), show);
    PumpFor(50);
    RECT client;
    GetClientRect(w.Handle(), &client);
    const RECT status = w.StatusLabel.Bounds(), connection = w.ConnectionLabel.Bounds();
    EXPECT_EQ(status.right, connection.left) << show;
    EXPECT_EQ(connection.right, client.right) << show;
    EXPECT_GT(connection.right - connection.left, 150) << show;
  }
  ShowWindow(w.Handle(), SW_RESTORE);
  w.Button2.Click();
  EXPECT_EQ(w.Label1.TextColour(), RGB(128, 128, 128)) << "the last value no longer looks live";
  testsupport::AfterMs(100, [&] {
    app.fkm470d.RadioButton10.SetChecked(true);
    app.fkm470d.BitBtn1.Click();
  });
  w.BitBtnEinstellungClick();
  const std::string status = testsupport::AllText(w.Handle());
  EXPECT_NE(status.find("Gestoppt"), std::string::npos) << status;
  EXPECT_NE(status.find("160 Werte/s"), std::string::npos) << status;
  w.SaveRecordingTo(dir.Path() + "\\m.txt");
  EXPECT_NE(ReadFile(dir.Path() + "\\m.txt").find("\r\nEinstellung: 160 Messwerte pro Sekunde\r\n"),
            std::string::npos);
}

// Saving over a measurement file on a disk that is nearly full: the new file does not fit, so the
// old one must stay exactly as it was, with nothing else left beside it, and the recording must
// still be there to be saved elsewhere.
TEST_F(MeasurementWindow, SavingOnAFullDiskKeepsTheOldFileAndTheRecording) {
  SmallFileSystem disk(64);
  if (!disk.Mounted())
    GTEST_SKIP() << "cannot mount a small file system here (needs root)";
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  app.fkm470d.RadioButton320.SetChecked(true);
  for (int i = 0; i < 32 + 10000; ++i)
    w.HandleFrame({static_cast<double>(i % 9000), 0xC0});
  ASSERT_EQ(w.CurrentRecording().SampleCount(), 10000);
  const std::string target = disk.File("messung.txt");
  const std::string old =
      "Datei erzeugt von Programm dynlog.exe am 01.01.2026\r\n" + std::string(30000, '7');
  std::ofstream(target, std::ios::binary) << old;
  std::ofstream(disk.File("platzhalter"), std::ios::binary) << std::string(20000, 'x');
  try {
    w.SaveRecordingTo(target);
    FAIL() << "about 60 KiB cannot fit beside 50 KiB on a 64 KiB disk";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Zu wenig Speicherplatz");
  }
  EXPECT_EQ(ReadFile(target), old);
  EXPECT_EQ(disk.Names(), (std::vector<std::string>{"messung.txt", "platzhalter"}));
  EXPECT_EQ(w.CurrentRecording().SampleCount(), 10000);
  const std::string elsewhere = dir.Path() + "\\messung.txt";
  w.SaveRecordingTo(elsewhere);
  EXPECT_GT(ReadFile(elsewhere).size(), 60000u);
}
