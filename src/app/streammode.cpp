// --stream: hours and days of values straight to disk. The windows run as for a person; every
// value the window records also goes to the file, which is flushed to the disk twice a second. A
// unit that falls silent is reported and called back: the port is opened afresh and the start
// command sent every 2 s until frames flow again.
#include "app/automation.h"
#include "app/recordingmode.h"
#include "base/errorbox.h"
#include "base/localeformat.h"
#include "base/messageloop.h"
#include "base/text.h"
#include "files/measurementstream.h"
#include "files/recordinghead.h"
#include "files/seriesfolder.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "test/recording.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dynlog {
namespace {

constexpr ULONGLONG kFlushIntervalMs = 500;
constexpr ULONGLONG kCallBackIntervalMs = 2000;

// Ctrl+C, Ctrl+Break and a closing console end the stream like the end of its time. The handler
// runs on a thread of its own; the stream's loop looks at the flag, and for a closing console,
// which ends the process once the handler returns, the handler waits until the file is closed.
std::atomic<bool> StopRequested{false};
HANDLE StreamClosed = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  StopRequested = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    if (StreamClosed)
      WaitForSingleObject(StreamClosed, 5000);
  }
  return TRUE;
}

class ConsoleEvents {
public:
  ConsoleEvents() : closed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    StopRequested = false;
    StreamClosed = closed_.get();
    // A GUI program gets the console's events only while it is attached to that console: the
    // one it was started from, if there is one.
    AttachConsole(ATTACH_PARENT_PROCESS);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  }
  ~ConsoleEvents() {
    SetEvent(closed_.get());
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    StreamClosed = nullptr;
  }
  ConsoleEvents(const ConsoleEvents&) = delete;
  ConsoleEvents& operator=(const ConsoleEvents&) = delete;

private:
  base::UniqueHandle closed_;
};

// The stream's file and the results of what is in it: a value counts once a Flush has put it on
// the disk, so that after a full disk the results printed are those of the file's lines.
class StreamFile {
public:
  StreamFile(const std::string& utf8Path, bool overwrite, std::uint64_t limit)
      : path_(utf8Path), limit_(limit), stream_(std::in_place, utf8Path, overwrite) {}
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;

  MeasurementStream& Stream() { return *stream_; }
  // Up to the values --seconds asks for (0: no end); the ones past it were not asked for.
  void Append(float value, double seconds, Lamps lamps) {
    if (Complete())
      return;
    stream_->Append(value, seconds, lamps);
    pending_.emplace_back(value, seconds);
    ++appended_;
  }
  // The frames the next value stands for, or those up to a test's break after the last one.
  void Frames(const FramePeaks& frames) {
    if (!Complete())
      pendingFrames_.Take(frames);
  }
  bool Complete() const { return limit_ > 0 && appended_ >= limit_; }
  void Flush() {
    stream_->Flush();
    Written();
  }
  void Close() {
    stream_->Close();
    Written();
  }
  const TestResults& Results() const { return results_; }
  // A file without a single value would only block the next run: it goes. True when it went.
  bool RemoveIfEmpty() {
    if (results_.Count() > 0)
      return false;
    stream_.reset(); // closed first
    return DeleteFileW(base::Widen(path_).c_str()) != 0;
  }

private:
  void Written() {
    results_.AddFrames(pendingFrames_);
    for (const auto& [value, seconds] : pending_)
      results_.Add(value, seconds);
    pending_.clear();
    pendingFrames_ = {};
  }

  std::string path_;
  std::uint64_t limit_;
  std::uint64_t appended_ = 0;
  std::vector<std::pair<float, double>> pending_; // values and their seconds since Start
  FramePeaks pendingFrames_;                      // the extremes of their frames
  TestResults results_;
  std::optional<MeasurementStream> stream_;
};

// The end of the file, however the stream ended: the results of what it holds, or an empty file
// removed. Returns the exit code so far.
int EndStreamFile(StreamFile& file, const std::string& utf8Path, const Recording& recording,
                  int code) {
  if (file.RemoveIfEmpty()) {
    PrintError("dynlog: keine Messwerte in " + utf8Path + "; die leere Datei ist entfernt");
    return kRecordNotWritten;
  }
  if (file.Results().Count() > 0)
    WriteStandardOutput(TestReport(recording, file.Results(), recording.Judge(file.Results())));
  return code;
}

} // namespace

int RunStreamMode(const RecordArgs& args) {
  if (const auto refusal = OutputRefusal(args.output, args.overwrite)) {
    PrintError("dynlog: " + *refusal);
    return kRecordBadArguments;
  }
  if (const auto refusal = SeriesRefusal(args)) {
    PrintError("dynlog: " + *refusal);
    return kRecordBadArguments;
  }
  ConsoleEvents console;
  AutomatedRun run(args);
  Tfkm470a& main = run.Main();
  if (!run.Start()) {
    main.Close();
    return kRecordUnitNotFound;
  }

  Recording& recording = main.CurrentRecording();
  std::optional<StreamFile> file;
  std::optional<Recording::Subscription> subscription;
  const auto fileError = [&](const std::exception& e) {
    PrintError("dynlog: " + args.output + ": " + base::ErrorBoxText(e.what()));
    subscription.reset();
    if (!run.MainWindowClosed())
      main.Close(); // stops the unit
    return kRecordNotWritten;
  };
  try {
    // With a start condition the seconds bound the whole run, not the values.
    file.emplace(args.output, args.overwrite,
                 args.seconds > 0 && !args.conditions.StartsByItself()
                     ? ValueCount(args.seconds, recording.Setting().ValuesPerSecond())
                     : 0);
  } catch (const std::exception& e) {
    return fileError(e); // not created: nothing to remove
  }
  int code = kRecordOk;
  // The head names the test's start; with a start condition it is written when the test begins.
  const bool waitForStart = args.conditions.StartsByItself() || args.zero;
  bool begun = false;
  const auto begin = [&] {
    MeasurementStream& stream = file->Stream();
    const RecordingSetting& setting = recording.Setting();
    if (IsCsvName(args.output))
      stream.BeginCsv(CsvHeadOf(recording), SystemNumberSeparators());
    else
      stream.Begin(CurrentDateTimeText(), setting.KeptRate(), setting.averaging,
                   setting.decimalPlaces, SystemNumberSeparators());
    begun = true;
  };
  try {
    if (!waitForStart) {
      begin();
      file->Flush();
    }
  } catch (const std::exception& e) {
    code = fileError(e);
  }
  if (code != kRecordOk) {
    EndStreamFile(*file, args.output, recording, code);
    return code;
  }
  // Every value the recording keeps, past its 10000 too, and whether a stop condition (or a
  // refused zero) ended the test as Stop would.
  bool ended = false;
  subscription.emplace(recording.Subscribe(
      [&](float value, double seconds, Lamps lamps) {
        if (!begun)
          begin();
        file->Append(value, seconds, lamps);
      },
      [&](const FramePeaks& frames) { file->Frames(frames); },
      [&](const TestEvent& event) { ended = ended || event.kind == TestEvent::Kind::Ended; }));

  SYSTEMTIME startClock;
  GetLocalTime(&startClock);
  const ULONGLONG start = GetTickCount64();
  SilenceWatch silence(start, recording.FrameCount());
  std::size_t gapsReported = 0;
  ULONGLONG lastFlush = start, lastCallBack = start;
  // After each round of messages, 20 times a second with the window's timer: no wake-ups of its
  // own.
  const auto lookAtTheLine = [&] {
    if (StopRequested || run.MainWindowClosed() || file->Complete() || ended)
      return true;
    const ULONGLONG now = GetTickCount64();
    silence.Observe(now, recording.FrameCount());
    for (; gapsReported < silence.Gaps().size(); ++gapsReported)
      PrintError(GapWarning(startClock, silence.Gaps()[gapsReported]));
    if (silence.Silent(now) && now - lastCallBack >= kCallBackIntervalMs) {
      // Unplugged and plugged in again, the adapter is a new device behind the same name; a
      // unit switched off and on again waits for its start command.
      std::string ignored;
      ucom::ComReopen(ignored);
      km470::SendStartCommand();
      lastCallBack = now;
    }
    if (now - lastFlush >= kFlushIntervalMs) {
      file->Flush();
      lastFlush = now;
    }
    return false;
  };
  try {
    // --seconds ends it by the count of values; a unit still silent when the seconds are over
    // ends it then.
    const ULONGLONG due = start + static_cast<ULONGLONG>(args.seconds * 1000);
    const bool bounded = args.conditions.StartsByItself();
    base::WaitFor(base::kNoDeadline, [&] {
      return lookAtTheLine() || (args.seconds > 0 && GetTickCount64() >= due &&
                                 (bounded || silence.Silent(GetTickCount64())));
    });
    silence.Finish(GetTickCount64());
    run.Stop();
    subscription.reset();
    // The end, the results and the verdict of the values on the disk, after the last of them.
    file->Flush();
    if (begun)
      file->Stream().AppendCsvSummary(CsvHeadOf(recording),
                                      CsvSummaryOf(recording, file->Results()));
    file->Close();
  } catch (const std::exception& e) {
    code = fileError(e);
  }
  if (const auto never = NeverStarted(recording, GetTickCount64() - start); never && !begun) {
    PrintError(*never);
    file->RemoveIfEmpty();
    return run.Finish(kRecordNeverStarted, startClock, silence, gapsReported);
  }
  code = EndStreamFile(*file, args.output, recording, code);
  if (code == kRecordOk && !args.series.empty()) {
    try {
      SeriesFolder(args.series).AddTestFile(CsvHeadOf(recording, file->Results()), args.output);
    } catch (const std::exception& e) {
      PrintError("dynlog: " + args.series + ": " + base::ErrorBoxText(e.what()));
      code = kRecordNotWritten;
    }
  }
  return VerdictExitCode(run.Finish(code, startClock, silence, gapsReported),
                         recording.Judge(file->Results()));
}

} // namespace dynlog
