#pragma once
// The two modes without a person: the same windows and code a person uses, driven from the
// command line.
//   --record: sets the rate dialog, presses Start (the connection search included), waits, presses
//   Stop, saves without the save dialog, optionally takes a picture of the main window.
//   --stream: the same, but every value goes to the file as it comes, with no 10000-value limit.
#include "app/recordargs.h"

namespace dynlog {

// Exit codes of both modes.
enum RecordExit : int {
  kRecordOk = 0,
  kRecordBadArguments = 2,
  kRecordUnitNotFound = 3,
  kRecordNotWritten = 4,
  // The file is written, but the unit sent no frame for more than 2 s during the recording.
  kRecordUnitFellSilent = 5,
  // The file is written and the test's maximum broke a limit (n.i.O.); 5 goes before it.
  kRecordFailedVerdict = 6,
  // A start condition that never held within the run's seconds (or a zero that could not be
  // taken before it): no test, no file.
  kRecordNeverStarted = 7,
};

// Runs the mode the arguments (after the program name) ask for; returns the exit code.
int RunAutomatedMode(const std::vector<std::string>& arguments);

int RunRecordingMode(const RecordArgs& args);
int RunStreamMode(const RecordArgs& args);

} // namespace dynlog
