#pragma once
// What the two modes without a person share: the windows as a person would use them, started
// from the command line, with messages on standard error instead of message boxes.
#include "app/application.h"
#include "app/recordargs.h"
#include "app/silencewatch.h"
#include "ui/controls.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dynlog {

// A line on standard error (the console of the starting program, if that is all there is).
void PrintError(const std::string& utf8);
// Text on standard output for a script that started the program, likewise.
void WriteStandardOutput(std::string_view utf8);

// The program's arguments after its name, as UTF-8.
std::vector<std::string> Utf8Arguments();

// Whether two names lead to the same file as Windows sees it: full paths, case ignored.
bool SameFile(const std::string& a, const std::string& b);

// Why --series may not keep the run's test in its folder, or nothing when it may (or none is
// given), found before the unit is asked for a value: a file of that name, a folder inside one
// that does not exist, a reihe.csv there that is no series, a part number too long for the name
// of the test's file, an output that is the series' list or a file of one of its tests.
std::optional<std::string> SeriesRefusal(const RecordArgs& args);

// What both modes print at their end: the results, the gaps and the verdict, for the values a
// file holds.
std::string TestReport(const Recording& recording, const TestResults& results,
                       const Verdict& verdict);
// Why a run with a start condition (or --zero) recorded no test in the waitedMs it ran, as a line
// for standard error; nothing when a test began.
std::optional<std::string> NeverStarted(const Recording& recording, std::uint64_t waitedMs);
// The exit code once the run has ended with `code`: n.i.O. turns a written file's 0 into 6.
int VerdictExitCode(int code, const Verdict& verdict);

// Why a mode may not write the file utf8Path, as a line for standard error, or nothing when it
// may: the program's own files never, a folder or a file in a missing folder not at all, an
// existing file only with --overwrite, a series' list never.
std::optional<std::string> OutputRefusal(const std::string& utf8Path, bool overwrite);

// The unit's frames per second at the rate the port runs at, and the values per second a rate
// setting keeps of them.
double ValuesPerSecond(SampleRate rate);

// "dynlog: Warnung: das Gerät hat ab 12:03:14 (Sekunde 2,4 der Aufnahme) 3,1 s lang keine
// Messwerte gesendet", for a gap of a watch that began at the local time start.
std::string GapWarning(const SYSTEMTIME& start, const SilenceWatch::Gap& gap);

// The windows of one run, shown, with the rate dialog set from the arguments; the error boxes go
// to standard error.
class AutomatedRun {
public:
  explicit AutomatedRun(const RecordArgs& args);
  Tfkm470a& Main() { return program_.windows.fkm470a; }
  // Presses Start: the connection search (given km470::SearchLimitMs, a round of every port and at
  // least 20 s, before the run gives up), the decimal places, the stream. False, with a message,
  // when no unit answered.
  bool Start();
  // Presses Stop, then waits until the frames on their way have arrived and the line is quiet.
  void Stop();
  // The end of the run, with the exit code so far: names the gaps of the watch from gapsNamed on,
  // turns a written file's 0 into 5 when the unit fell silent, and closes the main window, which
  // stops the unit and closes the port. Returns the exit code.
  int Finish(int code, const SYSTEMTIME& start, const SilenceWatch& silence,
             std::size_t gapsNamed = 0);
  // Whether the user has closed the main window.
  bool MainWindowClosed() { return !IsWindow(Main().Handle()); }

private:
  RunningProgram program_;
  ui::Timer searchLimit_;
};

} // namespace dynlog
