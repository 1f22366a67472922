#include "app/recordingmode.h"

#include "app/application.h"
#include "app/recordargs.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "ui/appwindow.h"
#include "ui/errorbox.h"
#include "ui/text.h"

#include <shellapi.h>
#include <windows.h>

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

  ucom::DelaySeconds(args->seconds);
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
  main.Close(); // stops the unit and closes the port
  return code;
}

} // namespace dynlog
