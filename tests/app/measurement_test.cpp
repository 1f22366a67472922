// The measurement window's data path against km470sim: which frames become values, and what a
// save leaves on disk.
#include "app/application.h"
#include "link/ucom.h"
#include "simulatedunit.h"
#include "uitest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

using testsupport::PumpFor;
using testsupport::SimulatedUnit;
using testsupport::TempWorkDir;

namespace {

class MeasurementWindow : public ::testing::Test {
protected:
  void TearDown() override { ucom::ComClose(); }
  TempWorkDir dir;
};

int LoggedFrames(const SimulatedUnit& unit) {
  int frames = 0;
  for (const std::string& line : unit.LogLines())
    frames += line.starts_with("frame ");
  return frames;
}

} // namespace

// km470.ini names a baud rate the dialog does not offer; the port opens at 9600 and the unit
// answers there. The unit then sends 160 frames a second, so "10" keeps every 16th frame.
TEST_F(MeasurementWindow, ThinningFollowsTheBaudRateThePortRunsAt) {
  std::ofstream(dir.Path() + "\\km470.ini") << "[Einstellung]\r\nCOM-Kanal=2\r\nBaudrate=4800\r\n";
  SimulatedUnit unit({.port = 2, .baud = 9600});
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  w.Button1.Click();
  ASSERT_TRUE(app.fkm470b.Found());
  EXPECT_EQ(ucom::ComBaud(), 9600);
  EXPECT_EQ(app.fkm470b.RadioGroup2.ItemIndex(), 0) << "the dialog shows the rate that answered";
  for (int i = 0; i < 100 && w.Acquisition.SampleCount() < 6; ++i)
    PumpFor(50);
  w.Button2.Click();
  PumpFor(400); // the frames still on the line
  const int frames = LoggedFrames(unit);
  ASSERT_GT(frames, 33 + 16 * 5);
  // The first 32 frames are skipped, the 33rd is kept, then every 16th.
  EXPECT_EQ(w.Acquisition.SampleCount(), 1 + (frames - 33) / 16) << frames << " frames";
}
