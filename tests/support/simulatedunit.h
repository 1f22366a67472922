#pragma once
// Has km470sim (the simulated display unit, a Linux program) started for a test running under
// Wine, linked into the Wine prefix as a COM port (the prefix's ports/comN), and stopped again.
// The Linux side does the work: the test program runs under simulatedunit.py, which takes the
// requests from a folder named by DYNLOG_UNIT_DIR.
#include <string>
#include <vector>

namespace testsupport {

struct UnitOptions {
  int port = 3;     // COM1..COM256; one above COM4 is listed by the system as Wine lists its own
  int baud = 19200; // the only baud rate the unit answers at
  int decimals = 1;
  bool noise = false;
  bool echo = false; // the line sends every byte the program writes straight back
  bool pull = false; // pull tests: a rise from rest to a peak of 200 to 600, then a break
};

class SimulatedUnit {
public:
  explicit SimulatedUnit(const UnitOptions& options);
  ~SimulatedUnit();
  SimulatedUnit(const SimulatedUnit&) = delete;
  SimulatedUnit& operator=(const SimulatedUnit&) = delete;

  // The lines the unit has logged so far.
  std::vector<std::string> LogLines() const;

private:
  std::string id_; // the number of its start request
  std::string logUnix_;
  int port_;
};

// A Linux path as a Windows program under Wine sees it (drive Z: is the root).
std::string WindowsPathOf(const std::string& unixPath);
// Runs a Linux command line through /bin/sh on the Linux side and waits until it ends.
void RunUnixCommand(const std::string& commandLine);

} // namespace testsupport
