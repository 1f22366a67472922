#include "app/recordingmode.h"
#include "files/recordinghead.h"

#include "app/automation.h"
#include "app/reportargs.h"
#include "app/reportmode.h"
#include "base/errorbox.h"
#include "base/localeformat.h"
#include "base/messageloop.h"
#include "files/measurementfilewriter.h"
#include "files/seriesfolder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace dynlog {
namespace {

// --record N keeps N seconds' worth of values, counted from the first one kept: N x the rate, at
// most the recording's 10000. Values still on their way after Stop are the window's only. With a
// start condition N bounds the whole run instead, and the test keeps what the recording keeps.
class FirstValues {
public:
  FirstValues(Recording& recording, double seconds)
      : count_(recording.Conditions().StartsByItself()
                   ? Acquisition::kMaxSamples
                   : std::min<std::uint64_t>(
                         ValueCount(seconds, recording.Setting().ValuesPerSecond()),
                         Acquisition::kMaxSamples)),
        subscription_(recording.Subscribe(
            [this](float value, double seconds, Lamps lamps) {
              if (Complete())
                return;
              values_.push_back(value);
              seconds_.push_back(seconds);
              lamps_.push_back(lamps);
              results_.Add(value, seconds);
            },
            // The frames a value stands for come just before it: the file's peak is the unit's.
            [this](const FramePeaks& frames) {
              if (!Complete())
                results_.AddFrames(frames);
            },
            // A stop condition (or a refused zero) ended it, as Stop would.
            [this](const TestEvent& event) {
              ended_ = ended_ || event.kind == TestEvent::Kind::Ended;
            })) {}
  bool Complete() const { return values_.size() >= count_; }
  bool Ended() const { return ended_; }
  bool Empty() const { return values_.empty(); }
  ValueSeries Values() const {
    return {values_, lamps_, [this](std::uint64_t i) { return seconds_[i]; }};
  }
  const TestResults& Results() const { return results_; }

private:
  std::uint64_t count_;
  std::vector<float> values_;
  std::vector<double> seconds_;
  std::vector<Lamps> lamps_;
  TestResults results_;
  bool ended_ = false;
  Recording::Subscription subscription_;
};

} // namespace

int RunAutomatedMode(const std::vector<std::string>& arguments) {
  if (IsReportCommand(arguments))
    return RunReportMode(arguments);
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
  for (const std::string* file : {&args.output, &args.screenshot}) {
    if (file->empty())
      continue;
    if (const auto refusal = OutputRefusal(*file, args.overwrite)) {
      PrintError("dynlog: " + *refusal);
      return kRecordBadArguments;
    }
  }
  if (const auto refusal = SeriesRefusal(args)) {
    PrintError("dynlog: " + *refusal);
    return kRecordBadArguments;
  }
  AutomatedRun run(args);
  Tfkm470a& main = run.Main();
  Recording& recording = main.CurrentRecording();
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
  FirstValues kept(recording, args.seconds);
  const std::uint64_t begun = GetTickCount64();
  const std::uint64_t due = begun + static_cast<std::uint64_t>(args.seconds * 1000);
  const bool bounded = args.conditions.StartsByItself();
  // The window's timer ends a round of messages 20 times a second; the line is looked at after
  // each round, with no wake-ups of its own. A gap makes the recording longer than its seconds;
  // a unit still silent when they are over ends it. A stop condition ends it as Stop would.
  base::WaitFor(base::kNoDeadline, [&] {
    const std::uint64_t now = GetTickCount64();
    silence.Observe(now, recording.FrameCount());
    return kept.Complete() || run.MainWindowClosed() || kept.Ended() ||
           (now >= due && (bounded || silence.Silent(now)));
  });
  silence.Finish(GetTickCount64());
  run.Stop();

  int code = kRecordOk;
  bool written = false; // a file holds the kept values
  std::string seriesFile;
  if (const auto never = NeverStarted(recording, GetTickCount64() - begun)) {
    PrintError(*never);
    return run.Finish(kRecordNeverStarted, startClock, silence);
  }
  if (kept.Empty()) {
    PrintError("dynlog: keine Messwerte aufgezeichnet; " +
               (args.output.empty() ? args.series : args.output) + " nicht geschrieben");
    code = kRecordNotWritten;
  }
  // The save path behind the save dialog, without it: no question about replacing a file or
  // about anything else. Nobody is there to answer; a mode without a person never asks.
  const auto save = [&](const std::string& name, const auto& write) {
    if (code != kRecordOk || name.empty())
      return;
    try {
      write();
      written = true;
    } catch (const std::exception& e) {
      PrintError("dynlog: " + name + ": " + base::ErrorBoxText(e.what()));
      code = kRecordNotWritten;
    }
  };
  save(args.output,
       [&] { SaveRecordingFile(args.output, recording, kept.Values(), kept.Results()); });
  save(args.series, [&] {
    SeriesFolder series(args.series);
    seriesFile =
        series.PathOf(series.AddTest(CsvHeadOf(recording, kept.Results()), kept.Values()).file);
  });
  if (!args.screenshot.empty() && !run.MainWindowClosed()) {
    try {
      main.SaveScreenshot(args.screenshot);
    } catch (const std::exception& e) {
      PrintError("dynlog: " + args.screenshot + ": " + e.what());
      code = code == kRecordOk ? kRecordNotWritten : code;
    }
  }
  const Verdict verdict = recording.Judge(kept.Results());
  // The results are those of the values in the file; where none was written there are none.
  if (written)
    WriteStandardOutput(TestReport(recording, kept.Results(), verdict));
  else if (!kept.Empty())
    PrintError("dynlog: keine Datei geschrieben");
  if (!seriesFile.empty())
    WriteStandardOutput("Datei: " + seriesFile + "\r\n");
  return VerdictExitCode(run.Finish(code, startClock, silence), verdict);
}

} // namespace dynlog
