#pragma once
// Starts km470sim (the simulated display unit, a Linux program) from a test running under Wine,
// linked into the Wine prefix as a COM port (the prefix's ports/comN), and stops it again. Wine
// starts Linux programs through CreateProcess but cannot wait for them, so the unit is stopped with
// kill and its exit is seen as its link disappearing.
#include <string>
#include <vector>

namespace testsupport {

struct UnitOptions {
  int port = 3;     // COM1..COM4
  int baud = 19200; // the only baud rate the unit answers at
  int decimals = 1;
  std::string model; // empty: KM470
  bool noise = false;
  bool echo = false; // the line sends every byte the program writes straight back
  bool log = true;   // write the unit's log (LogLines reads it)
};

class SimulatedUnit {
public:
  explicit SimulatedUnit(const UnitOptions& options);
  ~SimulatedUnit();
  SimulatedUnit(const SimulatedUnit&) = delete;
  SimulatedUnit& operator=(const SimulatedUnit&) = delete;

  void Stop();
  // The lines the unit has logged so far.
  std::vector<std::string> LogLines() const;
  // Linux path of the log, and the same file as Windows sees it.
  const std::string& LogUnixPath() const { return logUnix_; }

private:
  std::string dir_; // Linux path of the unit's own temporary folder
  std::string logUnix_;
  std::string linkUnix_;
  std::string pid_;
};

// A Linux path as a Windows program under Wine sees it (drive Z: is the root).
std::string WindowsPathOf(const std::string& unixPath);
// Runs a Linux command line through /bin/sh and waits (by polling for a marker file) until it ends.
void RunUnixCommand(const std::string& commandLine);
// The Wine prefix's folder, from the environment.
std::string WinePrefix();

} // namespace testsupport
