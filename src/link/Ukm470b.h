#pragma once
// The connection search dialog: finds the COM port and baud rate on which the display unit
// answers, first at the setting stored in km470.ini, then by stepping through COM1..COM4 at 9600
// and 19200 baud every two seconds, and stores a setting found that way in km470.ini.
#include "ui/controls.h"
#include "ui/form.h"

#include <string>

class Tfkm470b : public ui::Form {
public:
  explicit Tfkm470b(HWND owner = nullptr);

  // Called by the main window's first Start. Returns when the unit has been found or the user has
  // closed the dialog; the port of the last probe is then open, or none is.
  void ConnectOnFirstStart();
  // Opens the selected port and baud rate; true on success.
  bool OpenSelectedPort();
  // OpenSelectedPort and, if that worked, the identification; shows the outcome as background.
  bool ProbeInstrument();
  // The outcome of the last probe: the unit answered on the port that is open now.
  bool Found() const { return found_; }

  // Full path of km470.ini in the present working directory.
  static std::string SettingsPath();

  // The dialog's handlers: selection change in either group, and the 2 s search step.
  void RadioGroup1Click();
  void Timer1Timer();

  ui::RadioGroup RadioGroup1;
  ui::RadioGroup RadioGroup2;
  ui::Timer Timer1;
  bool ClicksEnabled = false;
  bool TimerStepping = false;

protected:
  void FormShow() override;
  void FormClose() override;

private:
  void WriteSettings();
  bool found_ = false;
};

inline constexpr COLORREF kFoundColour = RGB(0, 255, 0);
