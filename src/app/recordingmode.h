#pragma once
// The recording mode for automation: the same windows and code a person uses, driven from the
// command line. Sets the rate dialog, presses Start (the connection search included), waits,
// presses Stop, saves without the save dialog, optionally takes a picture of the main window,
// and ends with 0 when the file is written (5 when the unit fell silent on the way).

namespace dynlog {

// Exit codes of the recording mode.
enum RecordExit : int {
  kRecordOk = 0,
  kRecordBadArguments = 2,
  kRecordUnitNotFound = 3,
  kRecordNotWritten = 4,
  // The file is written, but the unit sent no frame for more than 2 s during the recording.
  kRecordUnitFellSilent = 5,
};

// How long the search dialog may look for the unit before the run gives up.
inline constexpr unsigned kRecordSearchLimitMs = 20000;

int RunRecordingMode(int argc, char** argv);

} // namespace dynlog
