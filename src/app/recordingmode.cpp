#include "app/recordingmode.h"

#include "app/automation.h"
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "window/localeformat.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace dynlog {

int RunAutomatedMode(const std::vector<std::string>& arguments) {
  std::string error;
  const auto args = ParseRecordArgs(arguments, error);
  if (!args) {
    PrintError("dynlog: " + error);
    PrintError(kRecordUsage);
    return kRecordBadArguments;
  }
  return args->mode == RecordArgs::Mode::Stream ? RunStreamMode(*args) : RunRecordingMode(*args);
}

int RunRecordingMode(const RecordArgs& args) {
  if (!args.screenshot.empty() && SameFile(args.screenshot, args.output)) {
    PrintError("dynlog: --screenshot und --output nennen dieselbe Datei: " + args.output);
    return kRecordBadArguments;
  }
  AutomatedRun run(args);
  Tfkm470a& main = run.Main();
  const Recording& recording = main.CurrentRecording();
  if (!run.Start()) {
    main.Close();
    return kRecordUnitNotFound;
  }

  // The window keeps 10000 values; say so before a recording that will not fit.
  if (const auto warning = RecordLimitWarning(args.seconds, ValuesPerSecond(args.rate)))
    PrintError(*warning);

  // Record, and watch the line: a unit that falls silent is reported, not passed over.
  SYSTEMTIME startClock;
  GetLocalTime(&startClock);
  SilenceWatch silence(GetTickCount64(), recording.FrameCount());
  // The window's timer ends a round of messages 20 times a second; the line is looked at after
  // each round, with no wake-ups of its own.
  base::WaitFor(base::MonotonicMs() + static_cast<std::uint64_t>(args.seconds * 1000), [&] {
    silence.Observe(GetTickCount64(), recording.FrameCount());
    return run.MainWindowClosed();
  });
  silence.Finish(GetTickCount64());
  run.Stop();

  int code = kRecordOk;
  if (recording.SampleCount() == 0) {
    PrintError("dynlog: keine Messwerte aufgezeichnet; " + args.output + " nicht geschrieben");
    code = kRecordNotWritten;
  } else {
    try {
      // The save path behind the save dialog, without it: no question about replacing a file or
      // about anything else. Nobody is there to answer; a mode without a person never asks.
      main.SaveRecordingTo(args.output);
    } catch (const std::exception& e) {
      PrintError("dynlog: " + args.output + ": " + base::ErrorBoxText(e.what()));
      code = kRecordNotWritten;
    }
  }
  if (!args.screenshot.empty() && !run.MainWindowClosed()) {
    try {
      main.SaveScreenshot(args.screenshot);
    } catch (const std::exception& e) {
      PrintError("dynlog: " + args.screenshot + ": " + e.what());
      code = code == kRecordOk ? kRecordNotWritten : code;
    }
  }
  WriteStandardOutput(ResultsReport(recording.Results(),
                                    recording.Format({SystemNumberSeparators().decimal, ""}),
                                    recording.GapTotal()));
  return run.Finish(code, startClock, silence);
}

} // namespace dynlog
