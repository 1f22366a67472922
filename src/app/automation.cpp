#include "app/automation.h"

#include "app/recordingmode.h"

#include "base/errorbox.h"
#include "base/fileerror.h"
#include "base/handles.h"
#include "base/localeformat.h"
#include "base/text.h"
#include "files/descriptionsettings.h"
#include "files/seriesfolder.h"
#include "info/updatetext.h"
#include "link/Ukm470b.h"
#include "link/portorder.h"
#include "link/searchtiming.h"
#include "link/serialports.h"
#include "link/ucom.h"

#include <shellapi.h>

namespace dynlog {
namespace {

// Ticks of the 50 ms timer without a byte that count as a quiet line after Stop.
constexpr int kQuietTicks = 4;

// What would be an error box (an unwritable km470.ini, say) goes to standard error instead.
void PrintErrorBox(const std::string& text) {
  PrintError("dynlog: " + text);
}

// "2,4" for 2400 ms.
std::string SecondsText(std::uint64_t ms) {
  const std::uint64_t tenths = (ms + 50) / 100;
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// "12:03:14" for a moment given as milliseconds after the local time `start`.
std::string ClockText(const SYSTEMTIME& start, std::uint64_t afterMs) {
  FILETIME ft;
  SystemTimeToFileTime(&start, &ft);
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  t.QuadPart += afterMs * 10000; // 100 ns steps
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  SYSTEMTIME at;
  FileTimeToSystemTime(&ft, &at);
  char text[16];
  wsprintfA(text, "%02u:%02u:%02u", at.wHour, at.wMinute, at.wSecond);
  return text;
}

// A GUI program has no console of its own: write to the standard handle it was given, or to the
// console of the program that started it; UTF-8 where it was redirected, as a script reads it.
void WriteStandard(DWORD which, std::string_view utf8) {
  HANDLE out = GetStdHandle(which);
  if (!out || out == INVALID_HANDLE_VALUE) {
    if (AttachConsole(ATTACH_PARENT_PROCESS))
      out = GetStdHandle(which);
  }
  if (!out || out == INVALID_HANDLE_VALUE)
    return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring w = base::Widen(utf8);
    WriteConsoleW(out, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
  } else {
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

// The running program's full path, as long as it is.
std::string RunningProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return base::Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

// The files the program lives by: its settings, itself, and what an update puts beside it.
bool IsOwnFile(const std::string& utf8Path) {
  const std::string program = RunningProgramPath();
  const ProgramLocation location = SplitProgramPath(program);
  for (const std::string& own : {std::string("km470.ini"), program, location.folder + kUpdaterName,
                                 location.folder + NewProgramFileName(location.fileName)}) {
    if (SameFile(utf8Path, own))
      return true;
  }
  return false;
}

// The first bytes of a file, enough to tell what it is; none when it cannot be read.
std::string FirstBytes(const std::string& utf8Path) {
  base::UniqueFile file(CreateFileW(base::Widen(utf8Path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  char bytes[64];
  DWORD got = 0;
  if (!file || !ReadFile(file.get(), bytes, sizeof bytes, &got, nullptr))
    return {};
  return std::string(bytes, got);
}

constexpr const char* kSeriesOwnFile =
    " ist die Liste einer Prüfreihe; sie wird nie ersetzt, einen anderen Namen "
    "wählen";

} // namespace

std::optional<std::string> OutputRefusal(const std::string& utf8Path, bool overwrite) {
  if (IsOwnFile(utf8Path))
    return utf8Path + " ist eine Datei des Programms selbst; einen anderen Namen wählen";
  const DWORD attributes = GetFileAttributesW(base::Widen(utf8Path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return utf8Path + " ist ein Ordner; einen Dateinamen angeben";
  if (attributes != INVALID_FILE_ATTRIBUTES && IsSeriesListHead(FirstBytes(utf8Path)))
    return utf8Path + kSeriesOwnFile;
  if (attributes != INVALID_FILE_ATTRIBUTES && !overwrite)
    return utf8Path + " gibt es schon; --overwrite ersetzt die Datei, sonst einen anderen Namen "
                      "wählen";
  const std::string folder = ContainingFolder(utf8Path);
  if (attributes == INVALID_FILE_ATTRIBUTES && !folder.empty()) {
    const DWORD folderAttributes = GetFileAttributesW(base::Widen(folder).c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES ||
        !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return "den Ordner " + folder + " gibt es nicht (für " + utf8Path + ")";
  }
  return std::nullopt;
}

std::optional<std::string> SeriesRefusal(const RecordArgs& args) {
  const std::string& utf8Folder = args.series;
  if (utf8Folder.empty())
    return std::nullopt;
  const DWORD attributes = GetFileAttributesW(base::Widen(utf8Folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return utf8Folder + " ist eine Datei; --series braucht einen Ordner";
  const std::string parent = ContainingFolder(utf8Folder);
  if (attributes == INVALID_FILE_ATTRIBUTES && !parent.empty()) {
    const DWORD parentAttributes = GetFileAttributesW(base::Widen(parent).c_str());
    if (parentAttributes == INVALID_FILE_ATTRIBUTES ||
        !(parentAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return "den Ordner " + parent + " gibt es nicht (für " + utf8Folder + ")";
  }
  try {
    const SeriesFolder series = SeriesFolder::Peek(utf8Folder);
    // A stream's file is named by the command line, a recorded test's after its part.
    if (args.mode == RecordArgs::Mode::Record)
      if (auto refusal = series.PartRefusal(args.test.trace.part))
        return refusal;
    for (const std::string* output : {&args.output, &args.screenshot}) {
      if (output->empty())
        continue;
      if (SameFile(*output, series.PathOf(kSeriesFileName)))
        return *output + kSeriesOwnFile;
      for (const SeriesRow& row : series.Table().Rows())
        if (SameFile(*output, series.FileOf(row)))
          return *output + " ist Test " + std::to_string(row.number) + " der Prüfreihe " +
                 utf8Folder + "; einen anderen Namen wählen";
    }
  } catch (const base::FileError& e) {
    return utf8Folder + ": " + e.what();
  } catch (const std::exception& e) {
    return e.what(); // names the file
  }
  return std::nullopt;
}

std::string TestReport(const Recording& recording, const TestResults& results,
                       const Verdict& verdict) {
  const NumberSeparators plain{SystemNumberSeparators().decimal, ""};
  std::string text = ResultsReport(results, recording.Format(plain), recording.GapTotal());
  if (const std::string end = recording.EndText(); !end.empty())
    text += end + "\r\n";
  const std::string line =
      VerdictLine(verdict, recording.Setting().decimalPlaces, recording.Description().unit, plain);
  if (!line.empty())
    text += line + "\r\n";
  return text;
}

std::optional<std::string> NeverStarted(const Recording& recording, std::uint64_t waitedMs) {
  if (const auto& refusal = recording.ZeroRefusal())
    return "dynlog: " + *refusal + " Keine Datei geschrieben.";
  if (recording.Conditions().StartsByItself() && recording.Results().Count() == 0)
    return std::string("dynlog: die Startbedingung (") +
           StartConditionText(recording.Conditions().start, recording.Setting().decimalPlaces) +
           ") ist in " + SecondsText(waitedMs) + " s nicht eingetreten; keine Datei geschrieben";
  return std::nullopt;
}

int VerdictExitCode(int code, const Verdict& verdict) {
  return code == kRecordOk && verdict.Failed() ? kRecordFailedVerdict : code;
}

void PrintError(const std::string& utf8) {
  WriteStandard(STD_ERROR_HANDLE, utf8 + "\n");
}

void WriteStandardOutput(std::string_view utf8) {
  WriteStandard(STD_OUTPUT_HANDLE, utf8);
}

std::vector<std::string> Utf8Arguments() {
  // The wide command line keeps names the ANSI code page cannot spell.
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  std::vector<std::string> args;
  for (int i = 1; i < n; ++i)
    args.push_back(base::Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

bool SameFile(const std::string& a, const std::string& b) {
  const auto full = [](const std::string& utf8) {
    const std::wstring name = base::Widen(utf8);
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetFullPathNameW(name.c_str(), MAX_PATH + 1, buffer, nullptr);
    return n == 0 || n > MAX_PATH ? name : std::wstring(buffer, n);
  };
  return CompareStringOrdinal(full(a).c_str(), -1, full(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

double ValuesPerSecond(SampleRate rate) {
  return RatePerSecond(KeptRate(rate, FramesPerSecond(ucom::ComBaud())));
}

std::string GapWarning(const SYSTEMTIME& start, const SilenceWatch::Gap& gap) {
  return "dynlog: Warnung: das Gerät hat ab " + ClockText(start, gap.startMs) + " (Sekunde " +
         SecondsText(gap.startMs) + " der Aufnahme) " + SecondsText(gap.lengthMs) +
         " s lang keine Messwerte gesendet";
}

AutomatedRun::AutomatedRun(const RecordArgs& args)
    : // No one to ask: the run saves or streams its values itself.
      program_(ui::RunMode::Unattended),
      // The search dialog, if it has to be shown, gets a limited time; then it is closed.
      searchLimit_(program_.windows.fkm470b,
                   km470::SearchLimitMs(km470::SearchPorts(km470::ListedSerialPorts(), 0).size()),
                   [this] {
                     searchLimit_.SetEnabled(false);
                     program_.windows.fkm470b.GiveUp();
                   }) {
  base::SetErrorSink(PrintErrorBox);
  program_.windows.fkm470d.SetRate(args.rate);
  program_.windows.fkm470d.CheckBoxMitteln.SetChecked(args.average);
  // The test as the command line gives it; the unit, set on the display unit, as km470.ini keeps
  // it unless --unit names another. The run leaves km470.ini's test keys as they are.
  TestDescription test = args.test;
  if (!args.unitGiven)
    test.unit = ReadTestDescription(program_.windows.settings).unit;
  Recording& recording = Main().CurrentRecording();
  recording.Describe(test);
  recording.SetConditions(args.conditions);
  recording.ZeroBeforeArming(args.zero);
}

bool AutomatedRun::Start() {
  searchLimit_.SetEnabled(true);
  Main().Button1.Click(); // Start: connection search, decimal places, stream
  searchLimit_.SetEnabled(false);
  const bool found =
      program_.windows.fkm470b.Outcome() == SearchOutcome::Found && ucom::ComIsOpen();
  if (!found)
    PrintError("dynlog: KM470 nicht gefunden: an keinem seriellen Anschluss antwortet eine "
               "Anzeigeeinheit");
  return found;
}

int AutomatedRun::Finish(int code, const SYSTEMTIME& start, const SilenceWatch& silence,
                         std::size_t gapsNamed) {
  for (std::size_t i = gapsNamed; i < silence.Gaps().size(); ++i)
    PrintError(GapWarning(start, silence.Gaps()[i]));
  if (code == kRecordOk && !silence.Gaps().empty()) {
    PrintError("dynlog: Datei geschrieben, aber das Gerät hat während der Aufnahme geschwiegen");
    code = kRecordUnitFellSilent;
  }
  // The recording is in the file or in the stream's file: closing asks nothing, in neither mode.
  if (!MainWindowClosed())
    Main().Close();
  return code;
}

void AutomatedRun::Stop() {
  if (MainWindowClosed())
    return; // closing it stopped the unit already
  Main().Button2.Click();
  // Frames already on their way still arrive and are recorded, as on the screen: wait until the
  // line has been quiet for a few ticks (at most a few seconds on a busy machine).
  for (int i = 0; i < 30 && Main().CurrentRecording().AcquisitionState().IdleTicks() < kQuietTicks;
       ++i)
    ucom::DelaySeconds(0.1);
}

} // namespace dynlog
