#pragma once
// Tfkm470b, the connection search dialog: finds the COM port and baud rate on which the display
// unit answers, first at the setting stored in km470.ini, then by stepping through COM1..COM4 and
// after them the other ports the system lists, in numeric order, at 9600 and 19200 baud every two
// seconds, and stores a setting found that way in km470.ini. Its status line says what it tries
// and what it found; Esc or "Abbrechen" ends the search.
#include "link/portchoice.h"
#include "link/settingsfile.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/form.h"

#include <string>

// How a search ended: the unit answers on the open port; the search was given up by the program
// (the modes without a person give it a limited time); the user ended it.
enum class SearchOutcome { Found, NotFound, Cancelled };

class Tfkm470b : public ui::Form {
public:
  // The port found is kept in settings.
  explicit Tfkm470b(km470::Settings& settings, HWND owner = nullptr);

  // Called by the main window's Start until a search has found the unit. Returns when the unit
  // has been found or the search has ended without it; the port of the last probe is then open,
  // or none is.
  SearchOutcome ConnectOnFirstStart();
  // Ends the search without the unit, as the program's decision rather than the user's; before
  // the dialog is shown, it will not be.
  void GiveUp();
  // Opens the selected port and baud rate; true on success.
  bool OpenSelectedPort();
  // OpenSelectedPort and, if that worked, the identification; shows the outcome as background.
  bool ProbeInstrument();
  // The outcome of the last probe: the unit answered on the port that is open now.
  bool Found() const { return found_; }
  SearchOutcome Outcome() const;

  // The dialog's handlers: selection change in either group, and the 2 s search step.
  void RadioGroup1Click();
  void Timer1Timer();
  // "Abbrechen", and Esc: ends the search.
  void CancelButtonClick();

  ui::RadioGroup RadioGroup1; // "Anschluß": COM 1 to COM 4
  ui::RadioGroup RadioGroup2; // "Einstellung": 9600 or 19200 Baud
  ui::Label StatusLabel;      // status line: the setting being tried, or the one found
  ui::Label OtherPortsLabel;
  PortChoice OtherPorts; // the ports above COM4 the system lists; a choice here clears RadioGroup1
  ui::CancelButton CancelButton;
  ui::Timer Timer1; // the search's step to the next setting
  bool ClicksEnabled = false;
  bool TimerStepping = false;

protected:
  void FormShow() override;
  void FormClose() override;

private:
  // A change of RadioGroup1 (the program's too), and the user's choice in OtherPorts.
  void PortGroupChange();
  void OtherPortChoice();
  // The port chosen in either control; 0 when none is (the probe then opens COM4).
  int ChosenPort() const;
  // The search's order: COM1 to COM4, then the ports the system lists and the stored one.
  void ListPorts(int stored);
  // Selects the port in the control that offers it, without probing.
  void SelectPort(int port);
  void WriteSettings();
  // The selected item's baud rate, as OpenSelectedPort opens the port.
  int SelectedBaud() const;
  // "COM3, 19200 Baud": the selected setting, as OpenSelectedPort opens it.
  std::string SettingText() const;
  km470::Settings& settings_;
  bool found_ = false;
  bool gaveUp_ = false;
  bool probing_ = false;
  std::vector<int> ports_; // the search's order, taken afresh at every search
};

inline constexpr COLORREF kFoundColour = RGB(0, 255, 0);
