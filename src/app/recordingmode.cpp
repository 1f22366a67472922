#include "app/recordingmode.h"

#include "app/application.h"
#include "app/recordargs.h"
#include "app/silencewatch.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "ui/appwindow.h"
#include "ui/errorbox.h"
#include "ui/text.h"

#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace dynlog {
namespace {

// A GUI program has no console of its own: write to the standard error it was given, or to the
// console of the program that started it.
void PrintError(const std::string& utf8) {
  const std::string line = utf8 + "\n";
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!err || err == INVALID_HANDLE_VALUE) {
    if (AttachConsole(ATTACH_PARENT_PROCESS))
      err = GetStdHandle(STD_ERROR_HANDLE);
  }
  if (!err || err == INVALID_HANDLE_VALUE)
    return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(err, &mode)) {
    const std::wstring w = ui::Widen(line);
    WriteConsoleW(err, w.c_str(), static_cast<DWORD>(w.size()), &written, nullptr);
  } else {
    WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

// Ticks of the 50 ms timer without a byte that count as a quiet line after Stop.
constexpr int kQuietTicks = 4;

// What would be an error box (an unwritable km470.ini, say) goes to standard error instead.
void PrintErrorBox(const std::string& text) {
  PrintError("dynlog: " + text);
}

// The search dialog, if it has to be shown, gets a limited time; then it is closed.
Tfkm470b* SearchDialog = nullptr;
bool SearchGaveUp = false;
void CALLBACK SearchTimeLimit(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (SearchDialog && SearchDialog->Visible()) {
    SearchGaveUp = true;
    SearchDialog->Close();
  }
}

// Whether two names lead to the same file as Windows sees it: full paths, case ignored.
bool SameFile(const std::string& a, const std::string& b) {
  const auto full = [](const std::string& utf8) {
    const std::wstring name = ui::Widen(utf8);
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetFullPathNameW(name.c_str(), MAX_PATH + 1, buffer, nullptr);
    return n == 0 || n > MAX_PATH ? name : std::wstring(buffer, n);
  };
  return CompareStringOrdinal(full(a).c_str(), -1, full(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// "12:03:14" for a moment given as milliseconds after the local time `start`.
std::string ClockText(const SYSTEMTIME& start, std::uint64_t afterMs) {
  FILETIME ft;
  SystemTimeToFileTime(&start, &ft);
  ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
  t.QuadPart += afterMs * 10000; // 100 ns steps
  ft = {t.LowPart, t.HighPart};
  SYSTEMTIME at;
  FileTimeToSystemTime(&ft, &at);
  char text[16];
  wsprintfA(text, "%02u:%02u:%02u", at.wHour, at.wMinute, at.wSecond);
  return text;
}

// "2,4" for 2400 ms.
std::string SecondsText(std::uint64_t ms) {
  const std::uint64_t tenths = (ms + 50) / 100;
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

std::vector<std::string> Utf8Arguments() {
  // The wide command line keeps names the ANSI code page cannot spell.
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  std::vector<std::string> args;
  for (int i = 1; i < n; ++i)
    args.push_back(ui::Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

} // namespace

int RunRecordingMode(int, char**) {
  std::string error;
  const auto args = ParseRecordArgs(Utf8Arguments(), error);
  if (!args) {
    PrintError("dynlog: " + error);
    PrintError(kRecordUsage);
    return kRecordBadArguments;
  }
  if (!args->screenshot.empty() && SameFile(args->screenshot, args->output)) {
    PrintError("dynlog: --screenshot und --output nennen dieselbe Datei: " + args->output);
    return kRecordBadArguments;
  }
  ui::SetErrorSink(PrintErrorBox);

  ui::ApplicationWindow application(kApplicationTitle);
  ApplicationWindows windows;
  application.SetMainForm(windows.fkm470a.Handle());
  Tfkm470a& main = windows.fkm470a;
  main.Show();
  windows.fkm470d.SetRate(args->rate);
  windows.fkm470d.CheckBoxMitteln.SetChecked(args->average);

  SearchDialog = &windows.fkm470b;
  const UINT_PTR limit = SetTimer(nullptr, 0, kRecordSearchLimitMs, SearchTimeLimit);
  main.Button1.Click(); // Start: connection search, decimal places, stream
  KillTimer(nullptr, limit);
  SearchDialog = nullptr;
  const bool found = !SearchGaveUp && ucom::ComIsOpen() && windows.fkm470b.Found();
  if (!found) {
    PrintError("dynlog: KM470 nicht gefunden: an COM1 bis COM4 antwortet keine Anzeigeeinheit");
    main.Close();
    return kRecordUnitNotFound;
  }

  // Record, and watch the line: a unit that falls silent is reported, not passed over.
  SYSTEMTIME startClock;
  GetLocalTime(&startClock);
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG end = start + static_cast<ULONGLONG>(args->seconds * 1000);
  SilenceWatch silence(start, main.FrameCount);
  for (ULONGLONG now = start; now < end; now = GetTickCount64()) {
    ucom::DelaySeconds(std::min<ULONGLONG>(end - now, 50) / 1000.0);
    silence.Observe(GetTickCount64(), main.FrameCount);
  }
  silence.Finish(GetTickCount64());
  main.Button2.Click(); // Stop
  // Frames already on their way still arrive and are recorded, as on the screen: wait until the
  // line has been quiet for a few ticks (at most a few seconds on a busy machine).
  for (int i = 0; i < 30 && main.Acquisition.IdleTicks() < kQuietTicks; ++i)
    ucom::DelaySeconds(0.1);

  int code = kRecordOk;
  if (main.Acquisition.SampleCount() == 0) {
    PrintError("dynlog: keine Messwerte aufgezeichnet; " + args->output + " nicht geschrieben");
    code = kRecordNotWritten;
  } else {
    try {
      main.SaveRecordingTo(args->output);
    } catch (const std::exception& e) {
      PrintError("dynlog: " + args->output + ": " + ui::ErrorBoxText(e.what()));
      code = kRecordNotWritten;
    }
  }
  if (!args->screenshot.empty()) {
    try {
      main.SaveScreenshot(args->screenshot);
    } catch (const std::exception& e) {
      PrintError("dynlog: " + args->screenshot + ": " + e.what());
      code = code == kRecordOk ? kRecordNotWritten : code;
    }
  }
  for (const SilenceWatch::Gap& gap : silence.Gaps()) {
    PrintError("dynlog: Warnung: das Gerät hat ab " + ClockText(startClock, gap.startMs) +
               " (Sekunde " + SecondsText(gap.startMs) + " der Aufnahme) " +
               SecondsText(gap.lengthMs) + " s lang keine Messwerte gesendet");
  }
  if (code == kRecordOk && !silence.Gaps().empty()) {
    PrintError("dynlog: Datei geschrieben, aber das Gerät hat während der Aufnahme geschwiegen");
    code = kRecordUnitFellSilent;
  }
  main.Close(); // stops the unit and closes the port
  return code;
}

} // namespace dynlog
