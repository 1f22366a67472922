// The connection search: km470.ini, the preselected probe, the search dialog's automatic steps and
// the user's own selection, against km470sim.
#include "base/errorbox.h"
#include "link/Ukm470b.h"
#include "link/searchtiming.h"
#include "link/settingsfile.h"
#include "link/ucom.h"
#include "simulatedunit.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>

using testsupport::AfterMs;
using testsupport::SimulatedUnit;
using testsupport::TempWorkDir;

namespace {

void WriteIni(const std::string& port, const std::string& baud) {
  std::ofstream ini("km470.ini");
  ini << "[Einstellung]\r\nCOM-Kanal=" << port << "\r\nBaudrate=" << baud << "\r\n";
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

  TempWorkDir dir;
};

// The preselection that a km470.ini gives, seen when the dialog opens; the dialog is then closed.
std::pair<int, int> Preselection(const std::string& port, const std::string& baud, bool writeIni) {
  TempWorkDir dir;
  if (writeIni)
    WriteIni(port, baud);
  km470::Settings settings;
  Tfkm470b dialog(settings);
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
}

// COM1 to COM4, then the ports the system lists; a port with nothing behind it is named so, and
// told apart from one that is there and silent.
TEST(SearchSettings, TimerStepsThroughEveryPortAndBaudRate) {
  TempWorkDir dir;
  SimulatedUnit unit({.port = 12, .baud = 19200});
  km470::Settings settings;
  Tfkm470b dialog(settings);
  dialog.RadioGroup1.SetItemIndex(1);
  dialog.RadioGroup2.SetItemIndex(1);
  const auto port = [&] {
    return dialog.OtherPorts.Port() ? dialog.OtherPorts.Port() : dialog.RadioGroup1.ItemIndex() + 1;
  };
  const std::tuple<int, int, std::string> expected[] = {{3, 0, "COM3: nicht vorhanden"},
                                                        {3, 1, "COM3: nicht vorhanden"},
                                                        {4, 0, "COM4: nicht vorhanden"},
                                                        {4, 1, "COM4: nicht vorhanden"},
                                                        {12, 0, "COM12, 9600 Baud: keine Antwort"},
                                                        {12, 1, "Gefunden: COM12, 19200 Baud"}};
  for (const auto& [p, baudIndex, status] : expected) {
    // The machine's own ports may come between; the bound is a hang guard only.
    for (int i = 0; i == 0 || (i < 100 && port() != p); ++i)
      dialog.Timer1Timer();
    EXPECT_EQ(std::make_tuple(port(), dialog.RadioGroup2.ItemIndex(), dialog.StatusLabel.Text()),
              std::make_tuple(p, baudIndex, status));
  }
  // No baud selected: the next step moves on to the next port at 9600, after the last to COM1.
  dialog.ClicksEnabled = false;
  dialog.RadioGroup2.SetItemIndex(-1);
  dialog.Timer1Timer();
  EXPECT_EQ(std::make_tuple(port(), dialog.RadioGroup1.ItemIndex(), dialog.RadioGroup2.ItemIndex()),
            std::make_tuple(1, 0, 0));
}

// The stored (or default) setting is tried first, without the dialog; when the dialog has to step
// to the unit, it stores the setting it found, or says that km470.ini cannot be written (a folder
// in its place) and keeps the port open all the same.
TEST_F(Search, FindsTheUnitAndStoresWhatTheDialogFound) {
  const struct {
    std::function<void()> prepare; // null: the km470.ini the row before left
    int port, baud;                // where the unit answers
    bool searches;
    bool writable = true;
    bool hearsWrongBaud = false;
  } cases[] = {
      {[] {}, 2, 19200, false},
      {[] {}, 3, 9600, true}, // on the first automatic step
      {[] { WriteIni("3", "9600"); }, 3, 19200, true, true, true},
      {[] { CreateDirectoryA("km470.ini", nullptr); }, 3, 9600, true, false},
      // A port above COM4 is found after COM1 to COM4, kept and used again.
      {[] { WriteIni("3", "9600"); }, 7, 9600, true}, // km470.ini of an older version
      {[] {}, 12, 9600, true},
      {nullptr, 12, 9600, false},
  };
  const auto stored = [](const char* key) {
    return GetPrivateProfileIntA("Einstellung", key, 0, km470::Settings().Path().c_str());
  };
  for (const auto& c : cases) {
    const std::string setting = "COM" + std::to_string(c.port) + ", " + std::to_string(c.baud);
    SCOPED_TRACE(setting);
    if (c.prepare) {
      std::filesystem::remove("km470.ini");
      c.prepare();
    }
    errors.clear();
    SimulatedUnit unit({.port = c.port, .baud = c.baud});
    km470::Settings settings;
    Tfkm470b dialog(settings);
    bool shown = false;
    AfterMs(100, [&] { shown = dialog.Visible(); });
    AfterMs(15000, [&dialog] { // a hang guard only: a search that finds the unit ends long before
      if (dialog.Visible())
        dialog.Close();
    });
    EXPECT_EQ(dialog.ConnectOnFirstStart(), SearchOutcome::Found);
    EXPECT_TRUE(c.searches || !shown);
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Timer1.Enabled());
    EXPECT_TRUE(ucom::ComIsOpen());
    EXPECT_EQ(dialog.Background(), kFoundColour);
    EXPECT_EQ(dialog.StatusLabel.Text(), "Gefunden: " + setting + " Baud");
    EXPECT_EQ(dialog.RadioGroup1.ItemIndex(), c.port <= 4 ? c.port - 1 : -1);
    EXPECT_EQ(dialog.OtherPorts.Port(), c.port <= 4 ? 0 : c.port);
    EXPECT_EQ(dialog.RadioGroup2.ItemIndex(), c.baud == 19200 ? 1 : 0);
    // An older version reads COM-Kanal alone: no port of its own rather than a wrong one.
    const bool written = (c.searches || !c.prepare) && c.writable;
    EXPECT_EQ(stored("COM-Kanal"), written && c.port <= 4 ? c.port : 0);
    EXPECT_EQ(stored("COM-Nummer"), written && c.port > 4 ? c.port : 0);
    EXPECT_EQ(stored("Baudrate"), written ? c.baud : 0);
    EXPECT_EQ(errors, c.writable ? std::vector<std::string>{}
                                 : std::vector<std::string>{"nach " + km470::Settings().Path() +
                                                            " kann nicht geschrieben werden."});
    // Identified once, after the two stop commands that quiet a streaming unit; never probed at a
    // wrong rate unless km470.ini named it.
    int ignored = 0;
    std::vector<std::string> heard;
    for (const std::string& line : unit.LogLines()) {
      ignored += line.starts_with("ignored ");
      if (line.starts_with("rx "))
        heard.push_back(line.substr(3));
    }
    EXPECT_EQ(ignored > 0, c.hearsWrongBaud);
    EXPECT_EQ(heard, (std::vector<std::string>{"C00S", "C00S", "?V"}));
    ucom::ComClose();
    testsupport::CancelPendingSteps(); // the steps above belong to this row's dialog
  }
}

TEST_F(Search, UserSelectionStopsTheAutomaticSearch) {
  km470::Settings settings;
  Tfkm470b dialog(settings);
  bool timerAfterClick = true, groupsEnabled = false;
  int steps = -1;
  // Once the first automatic step (COM 3 at 9600) and its probe are over, however late, the user
  // picks COM 1, where nothing answers; a step and a half later the dialog still shows it.
  std::function<void()> pick = [&] {
    if (!dialog.ClicksEnabled || dialog.TimerStepping)
      return AfterMs(10, pick);
    SendMessageW(dialog.RadioGroup1.ItemHandle(0), BM_CLICK, 0, 0);
    timerAfterClick = dialog.Timer1.Enabled();
    groupsEnabled = dialog.RadioGroup1.Enabled() && dialog.RadioGroup2.Enabled();
    AfterMs(km470::SearchStepMs() * 3 / 2, [&] {
      steps = dialog.RadioGroup1.ItemIndex();
      dialog.Close();
    });
  };
  AfterMs(10, pick);
  AfterMs(15000, [&dialog] { dialog.Close(); }); // a hang guard only
  dialog.ConnectOnFirstStart();
  EXPECT_FALSE(timerAfterClick);
  EXPECT_TRUE(groupsEnabled);
  EXPECT_EQ(steps, 0) << "no automatic step after the user's selection";
  EXPECT_FALSE(std::filesystem::exists("km470.ini"));
}

TEST_F(Search, ClosingTheDialogEndsTheSearch) {
  km470::Settings settings;
  Tfkm470b dialog(settings);
  AfterMs(500, [&] { dialog.Close(); });
  dialog.ConnectOnFirstStart();
  EXPECT_FALSE(dialog.Timer1.Enabled());
  const int port = dialog.RadioGroup1.ItemIndex();
  testsupport::PumpFor(km470::SearchStepMs() * 5 / 4);
  EXPECT_EQ(dialog.RadioGroup1.ItemIndex(), port);
}
