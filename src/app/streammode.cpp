// --stream: hours and days of values straight to disk. The windows run as for a person; every
// value the window records also goes to the file, which is flushed to the disk twice a second. A
// unit that falls silent is reported and called back: the port is opened afresh and the start
// command sent every 2 s until frames flow again.
#include "app/automation.h"
#include "app/recordingmode.h"
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "base/text.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "window/localeformat.h"
#include "window/measurementstream.h"
#include "window/recording.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

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

} // namespace

int RunStreamMode(const RecordArgs& args) {
  if (!args.overwrite &&
      GetFileAttributesW(base::Widen(args.output).c_str()) != INVALID_FILE_ATTRIBUTES) {
    PrintError("dynlog: " + args.output +
               " gibt es schon; --overwrite ersetzt die Datei, sonst einen anderen Namen wählen");
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
  std::optional<MeasurementStream> stream;
  std::optional<Recording::Subscription> subscription;
  const auto fail = [&](const std::exception& e) {
    PrintError("dynlog: " + args.output + ": " + base::ErrorBoxText(e.what()));
    subscription.reset();
    if (!run.MainWindowClosed())
      main.Close();
    return kRecordNotWritten;
  };
  try {
    stream.emplace(args.output, args.overwrite);
    const RecordingSetting& setting = recording.Setting();
    if (IsCsvName(args.output))
      stream->BeginCsv(recording.CsvFileHead(), SystemNumberSeparators());
    else
      stream->Begin(CurrentDateTimeText(), setting.KeptRate(), setting.averaging,
                    setting.decimalPlaces, SystemNumberSeparators());
    stream->Flush();
  } catch (const std::exception& e) {
    return fail(e);
  }
  // Every value the recording keeps, past its 10000 too.
  TestResults results;
  subscription.emplace(recording.Subscribe([&](float value, double seconds) {
    stream->Append(value, seconds);
    results.Add(value, seconds);
  }));

  SYSTEMTIME startClock;
  GetLocalTime(&startClock);
  const ULONGLONG start = GetTickCount64();
  SilenceWatch silence(start, recording.FrameCount());
  std::size_t gapsReported = 0;
  ULONGLONG lastFlush = start, lastCallBack = start;
  // After each round of messages, 20 times a second with the window's timer: no wake-ups of its
  // own.
  const auto lookAtTheLine = [&] {
    if (StopRequested || run.MainWindowClosed())
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
      stream->Flush();
      lastFlush = now;
    }
    return false;
  };
  try {
    base::WaitFor(args.seconds > 0
                      ? base::MonotonicMs() + static_cast<std::uint64_t>(args.seconds * 1000)
                      : base::kNoDeadline,
                  lookAtTheLine);
    silence.Finish(GetTickCount64());
    run.Stop();
    subscription.reset();
    stream->Close();
  } catch (const std::exception& e) {
    return fail(e);
  }

  WriteStandardOutput(ResultsReport(
      results, recording.Format({SystemNumberSeparators().decimal, ""}), recording.GapTotal()));
  return run.Finish(kRecordOk, startClock, silence, gapsReported);
}

} // namespace dynlog
