#pragma once
// The program as a whole: its title, its four windows and its message loop.
#include "info/uinfo.h"
#include "link/Ukm470b.h"
#include "link/settingsfile.h"
#include "ui/appwindow.h"
#include "ui/runmode.h"
#include "window/Ukm470a.h"
#include "window/ukm470d.h"

namespace dynlog {

inline constexpr const char* kApplicationTitle = "PC-Programm für Anzeigeeinheit KM470 und PT615";

// The four windows, created in this order and living until the program ends: the measurement
// window first (it is the main window), then the connection search, the info window and the rate
// dialog. Before them, km470.ini's place is fixed: the measurement window reads it as it is made.
struct ApplicationWindows {
  explicit ApplicationWindows(ui::RunMode mode = ui::RunMode::Person);
  km470::Settings settings;
  Tfkm470a fkm470a;
  Tfkm470b fkm470b;
  TAboutBox AboutBox;
  Tfkm470d fkm470d;
};

// The program as it starts, with or without a person: the application window, which carries the
// title on the task bar and owns the forms, then the four windows, the main window shown.
struct RunningProgram {
  explicit RunningProgram(ui::RunMode mode = ui::RunMode::Person);
  ui::ApplicationWindow application;
  ApplicationWindows windows;
};

// Runs the program; returns its exit code. With --record or --stream it runs without a person.
int RunApplication();

// The main loop: the one wait, until the main window is closed (a quit is pending); returns the
// quit's exit code.
int RunMessageLoop();

} // namespace dynlog
