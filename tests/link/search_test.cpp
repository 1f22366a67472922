// The connection search: km470.ini, the preselected probe, the search dialog's automatic steps and
// the user's own selection, against km470sim.
#include "base/errorbox.h"
#include "link/Ukm470b.h"
#include "link/searchtiming.h"
#include "link/ucom.h"
#include "simulatedunit.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

using testsupport::AfterMs;
using testsupport::SimulatedUnit;
using testsupport::TempWorkDir;

namespace {

void WriteIni(const std::string& port, const std::string& baud) {
  std::ofstream ini("km470.ini");
  ini << "[Einstellung]\r\nCOM-Kanal=" << port << "\r\nBaudrate=" << baud << "\r\n";
}

// Hang guard: a search that finds the unit is over long before this.
void CloseIfStillShown(Tfkm470b& dialog) {
  AfterMs(8000, [&dialog] {
    if (dialog.Visible())
      dialog.Close();
  });
}

std::vector<std::string> errors;
void CollectError(const std::string& text) {
  errors.push_back(text);
}

class Search : public ::testing::Test {
protected:
  void SetUp() override {
    errors.clear();
    base::SetErrorSink(CollectError);
  }
  void TearDown() override {
    ucom::ComClose();
    base::SetErrorSink(nullptr);
  }
  static bool IniExists() { return GetFileAttributesA("km470.ini") != INVALID_FILE_ATTRIBUTES; }

  TempWorkDir dir;
};

// The preselection that a km470.ini gives, seen when the dialog opens; the dialog is then closed.
std::pair<int, int> Preselection(const std::string& port, const std::string& baud, bool writeIni) {
  TempWorkDir dir;
  if (writeIni)
    WriteIni(port, baud);
  Tfkm470b dialog;
  std::pair<int, int> seen{-9, -9};
  AfterMs(50, [&] {
    seen = {dialog.RadioGroup1.ItemIndex(), dialog.RadioGroup2.ItemIndex()};
    dialog.Close();
  });
  dialog.ConnectOnFirstStart();
  return seen;
}

} // namespace

TEST(SearchSettings, KmIniPreselectsPortAndBaud) {
  EXPECT_EQ(Preselection("", "", false), std::make_pair(1, 1)); // COM 2 at 19200 by default
  EXPECT_EQ(Preselection("3", "9600", true), std::make_pair(2, 0));
  EXPECT_EQ(Preselection("9", "19200", true), std::make_pair(3, 1));
  EXPECT_EQ(Preselection("0", "19200", true), std::make_pair(-1, 1));
  EXPECT_EQ(Preselection("-5", "19200", true), std::make_pair(-1, 1));
  // A rate the dialog does not offer: the port is opened at 9600, and the dialog says so.
  EXPECT_EQ(Preselection("$1", "4800", true), std::make_pair(0, 0));
  EXPECT_EQ(Preselection("0x4", "0x2580", true), std::make_pair(3, 0));
  EXPECT_EQ(Preselection("zwei", "schnell", true), std::make_pair(1, 1));
}

TEST(SearchSettings, TimerStepsThroughEveryPortAndBaudRate) {
  TempWorkDir dir;
  Tfkm470b dialog;
  dialog.RadioGroup1.SetItemIndex(1);
  dialog.RadioGroup2.SetItemIndex(1);
  // From COM 2 at 19200: COM 3 at 9600, COM 3 at 19200, COM 4 ..., COM 1 ..., COM 2 at 19200.
  const std::pair<int, int> expected[] = {{2, 0}, {2, 1}, {3, 0}, {3, 1}, {0, 0},
                                          {0, 1}, {1, 0}, {1, 1}, {2, 0}};
  for (const auto& e : expected) {
    dialog.Timer1Timer(); // no unit anywhere: every probe fails
    EXPECT_EQ(std::make_pair(dialog.RadioGroup1.ItemIndex(), dialog.RadioGroup2.ItemIndex()), e);
  }
  // No baud selected: the next step moves on to the next port at 9600.
  dialog.ClicksEnabled = false;
  dialog.RadioGroup2.SetItemIndex(-1);
  dialog.Timer1Timer();
  EXPECT_EQ(std::make_pair(dialog.RadioGroup1.ItemIndex(), dialog.RadioGroup2.ItemIndex()),
            std::make_pair(3, 0));
}

TEST_F(Search, FoundAtThePreselectionWithoutDialogOrWriting) {
  SimulatedUnit unit({.port = 2, .baud = 19200});
  Tfkm470b dialog;
  bool shown = false;
  AfterMs(100, [&] {
    shown = dialog.Visible();
    if (shown)
      dialog.Close();
  });
  dialog.ConnectOnFirstStart();
  EXPECT_FALSE(shown);
  EXPECT_TRUE(ucom::ComIsOpen());
  EXPECT_EQ(dialog.Background(), kFoundColour);
  EXPECT_TRUE(dialog.Found());
  EXPECT_FALSE(IniExists());
}

TEST_F(Search, FindsTheUnitOnTheFirstAutomaticStepAndStoresIt) {
  SimulatedUnit unit({.port = 3, .baud = 9600});
  Tfkm470b dialog;
  CloseIfStillShown(dialog);
  EXPECT_EQ(dialog.ConnectOnFirstStart(), SearchOutcome::Found);
  EXPECT_EQ(dialog.StatusLabel.Text(), "Gefunden: COM3, 9600 Baud");
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(ucom::ComIsOpen());
  // Found on the first step (COM 3 at 9600), not later: the unit never heard a probe at 19200,
  // and it was identified once.
  int ignored = 0, identified = 0;
  for (const std::string& line : unit.LogLines()) {
    ignored += line.starts_with("ignored ");
    identified += line == "rx ?V";
  }
  EXPECT_EQ(ignored, 0);
  EXPECT_EQ(identified, 1);
  EXPECT_EQ(dialog.RadioGroup1.ItemIndex(), 2);
  EXPECT_EQ(dialog.RadioGroup2.ItemIndex(), 0);
  EXPECT_EQ(GetPrivateProfileIntA("Einstellung", "COM-Kanal", 0, Tfkm470b::SettingsPath().c_str()),
            3);
  EXPECT_EQ(GetPrivateProfileIntA("Einstellung", "Baudrate", 0, Tfkm470b::SettingsPath().c_str()),
            9600);
  EXPECT_FALSE(dialog.Timer1.Enabled());
  EXPECT_TRUE(errors.empty());
}

TEST_F(Search, StoredSettingIsTriedFirstThenTheOtherBaudRate) {
  WriteIni("3", "9600");
  SimulatedUnit unit({.port = 3, .baud = 19200});
  Tfkm470b dialog;
  CloseIfStillShown(dialog);
  dialog.ConnectOnFirstStart();
  EXPECT_TRUE(ucom::ComIsOpen());
  EXPECT_EQ(dialog.RadioGroup1.ItemIndex(), 2);
  EXPECT_EQ(dialog.RadioGroup2.ItemIndex(), 1);
  EXPECT_EQ(GetPrivateProfileIntA("Einstellung", "Baudrate", 0, Tfkm470b::SettingsPath().c_str()),
            19200);
}

TEST_F(Search, UserSelectionStopsTheAutomaticSearch) {
  Tfkm470b dialog;
  bool timerAfterClick = true, groupsEnabled = false;
  // After the first automatic step (COM 3 at 9600) the user picks COM 1, where nothing answers.
  AfterMs(km470::SearchStepMs() * 13 / 10, [&] {
    SendMessageW(dialog.RadioGroup1.ItemHandle(0), BM_CLICK, 0, 0);
    timerAfterClick = dialog.Timer1.Enabled();
    groupsEnabled = dialog.RadioGroup1.Enabled() && dialog.RadioGroup2.Enabled();
  });
  int steps = 0;
  AfterMs(km470::SearchStepMs() * 5 / 2, [&] {
    steps = dialog.RadioGroup1.ItemIndex();
    dialog.Close();
  });
  dialog.ConnectOnFirstStart();
  EXPECT_FALSE(timerAfterClick);
  EXPECT_TRUE(groupsEnabled);
  EXPECT_EQ(steps, 0) << "no automatic step after the user's selection";
  EXPECT_FALSE(IniExists());
}

TEST_F(Search, ClosingTheDialogEndsTheSearch) {
  Tfkm470b dialog;
  AfterMs(500, [&] { dialog.Close(); });
  dialog.ConnectOnFirstStart();
  EXPECT_FALSE(dialog.Timer1.Enabled());
  const int port = dialog.RadioGroup1.ItemIndex();
  testsupport::PumpFor(km470::SearchStepMs() * 5 / 4);
  EXPECT_EQ(dialog.RadioGroup1.ItemIndex(), port);
}

TEST_F(Search, UnwritableSettingsFileIsReportedAndThePortStaysOpen) {
  // A folder where the file should be: it cannot be written.
  CreateDirectoryA("km470.ini", nullptr);
  SimulatedUnit unit({.port = 3, .baud = 9600});
  Tfkm470b dialog;
  CloseIfStillShown(dialog);
  dialog.ConnectOnFirstStart();
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(ucom::ComIsOpen());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "nach " + Tfkm470b::SettingsPath() + " kann nicht geschrieben werden.");
}
