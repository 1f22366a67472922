#include "app/recordingmode.h"

#include "app/automation.h"
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "window/standardoutput.h"

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
  if (!run.Start()) {
    main.Close();
    return kRecordUnitNotFound;
  }

  // The window keeps 10000 values; say so before a recording that will not fit.
  const double perSecond = ValuesPerSecond(args.rate);
  if (args.seconds * perSecond > Acquisition::kMaxSamples) {
    const long kept = std::lround(Acquisition::kMaxSamples / perSecond);
    PrintError("dynlog: Warnung: die Aufnahme fasst 10000 Messwerte, bei dieser Messrate also nur "
               "die ersten " +
               std::to_string(kept) + " Sekunden; für längere Aufnahmen --stream DATEI verwenden");
  }

  // Record, and watch the line: a unit that falls silent is reported, not passed over.
  SYSTEMTIME startClock;
  GetLocalTime(&startClock);
  SilenceWatch silence(GetTickCount64(), main.FrameCount);
  // The window's timer ends a round of messages 20 times a second; the line is looked at after
  // each round, with no wake-ups of its own.
  base::WaitFor(base::MonotonicMs() + static_cast<std::uint64_t>(args.seconds * 1000), [&] {
    silence.Observe(GetTickCount64(), main.FrameCount);
    return run.MainWindowClosed();
  });
  silence.Finish(GetTickCount64());
  run.Stop();

  int code = kRecordOk;
  if (main.Acquisition.SampleCount() == 0) {
    PrintError("dynlog: keine Messwerte aufgezeichnet; " + args.output + " nicht geschrieben");
    code = kRecordNotWritten;
  } else {
    try {
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
  WriteStandardOutput(ResultsReport(main.Results, main.ReportFormat()));
  return run.Finish(code, startClock, silence);
}

} // namespace dynlog
