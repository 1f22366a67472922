// Drives the program's real windows through the states worth a picture, for scripts/pictures.sh:
// the search dialog while it searches and when it has found the unit on a port above COM4, the
// main window while it streams (also at 150 % and maximised), after Stop (with the whole test and a
// zoomed stretch of it) and with a full recording, the system's save dialog, the question before an
// unsaved recording is dropped, the rate dialog, the info window, the update's question box, and
// the test dialog and a series judged against limits with its table, then saved tests opened
// again: an hour's stream, a zoomed stretch of it with its figures, and three tests of the series
// laid over each other with their legend, and a pull test that waits for its start with a zero set
// and ends by itself at the break. For each picture it writes
// NAME.want into the given folder, holding the window's X11 window, and
// waits, with the windows still answering, until the script has taken the picture and removed the
// file.
//   window_pictures.exe FOLDER
// The unit is expected on COM7 at 9600 baud, km470.ini in the working folder naming COM2 at 19200
// baud, so that the search steps through COM1 to COM4 before it finds it; DYNLOG_UPDATE_HOST names
// a server whose version list offers a newer version of this program.
#include "app/application.h"
#include "base/errorbox.h"
#include "files/csvfilewriter.h"
#include "ui/appwindow.h"
#include "window/serieswindow.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

std::string g_folder;
bool g_failed = false;

void Report(const std::string& line) {
  std::fprintf(stderr, "window_pictures: %s\n", line.c_str());
  std::fflush(stderr);
}

void Pump(unsigned ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// Waits, with messages handled, until done() holds or the time is up.
bool PumpUntil(unsigned ms, const std::function<bool()>& done) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!done()) {
    if (GetTickCount64() >= end)
      return false;
    Pump(20);
  }
  return true;
}

// Asks the script for a picture of the window and waits until it is taken.
void Picture(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  UpdateWindow(window);
  Pump(400); // the window manager frames the window, X draws it
  // Wine keeps each top-level window's X11 window in this property.
  const auto x11 = reinterpret_cast<UINT_PTR>(GetPropA(window, "__wine_x11_whole_window"));
  if (!x11) {
    Report(name + ": no X11 window (Wine's X11 driver is needed)");
    g_failed = true;
    return;
  }
  const std::string want = g_folder + "\\" + name + ".want";
  std::ofstream(want) << x11 << "\n";
  if (!PumpUntil(30000,
                 [&] { return GetFileAttributesA(want.c_str()) == INVALID_FILE_ATTRIBUTES; })) {
    Report(name + ": the picture was not taken");
    DeleteFileA(want.c_str());
    g_failed = true;
  }
}

// Watches for the windows that modal steps bring up, from a thread timer that keeps firing inside
// their message loops.
std::function<void()> g_watch;
void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
  static bool busy = false;
  if (busy || !g_watch)
    return;
  busy = true;
  auto step = g_watch; // a step may replace the watch
  step();
  busy = false;
}

HWND FindMessageBox() {
  struct Find {
    static BOOL CALLBACK Each(HWND w, LPARAM p) {
      wchar_t cls[16] = {};
      GetClassNameW(w, cls, 16);
      if (IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
      }
      return TRUE;
    }
  };
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &Find::Each, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The first visible window of this thread other than the main window: a modal question.
HWND FindQuestion(HWND main) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    if (w != main && IsWindowVisible(w) &&
        GetWindowThreadProcessId(w, &pid) == GetCurrentThreadId() && GetWindow(w, GW_OWNER) == main)
      return w;
  }
  return nullptr;
}

// The window after Stop: the last value grey, the status line says "Gestoppt" and the count.
void StoppedWindowPicture(Tfkm470a& main) {
  main.Button2.Click();
  Pump(600);
  main.Timer1.SetEnabled(false);
  Picture(main.Handle(), "main-window-stopped");
  main.Timer1.SetEnabled(true);
}

// The same moment as a screen at 150 % shows it (a window moved to such a screen is told so with
// WM_DPICHANGED), and then maximised on the large screen: the digits grow with the window.
void ScaledAndMaximisedPictures(Tfkm470a& main) {
  RECT first;
  GetWindowRect(main.Handle(), &first);
  const auto toDpi = [&](int dpi) {
    RECT r{first.left, first.top, first.left + MulDiv(first.right - first.left, dpi, 96),
           first.top + MulDiv(first.bottom - first.top, dpi, 96)};
    SendMessageW(main.Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&r));
  };
  toDpi(144);
  Pump(1500);
  main.Timer1.SetEnabled(false);
  Picture(main.Handle(), "main-window-144dpi");
  main.Timer1.SetEnabled(true);
  toDpi(96);
  ShowWindow(main.Handle(), SW_MAXIMIZE);
  Pump(1500);
  main.Timer1.SetEnabled(false);
  Picture(main.Handle(), "main-window-maximised");
  main.Timer1.SetEnabled(true);
  ShowWindow(main.Handle(), SW_RESTORE);
  Pump(300);
}

// Start over an unsaved recording asks first; the question is answered with Abbrechen.
void UnsavedQuestionPicture(Tfkm470a& main) {
  g_watch = [&main] {
    if (HWND question = FindQuestion(main.Handle())) {
      g_watch = nullptr;
      Picture(question, "unsaved-question");
      PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  };
  main.Button1.Click();
  if (g_watch) {
    Report("Start asked no question");
    g_watch = nullptr;
    g_failed = true;
  }
}

// The fastest rate fills the recording in about a minute at 9600 baud; the display and the chart
// go on.
void FullRecordingPicture(dynlog::ApplicationWindows& app) {
  Tfkm470a& main = app.fkm470a;
  app.fkm470d.SetRate(dynlog::SampleRate::Hz320);
  main.SetRunMode(ui::RunMode::Unattended); // from here on nothing is asked
  main.Button1.Click();
  if (!PumpUntil(90000, [&] { return main.CurrentRecording().SampleCount() >= 10000; })) {
    Report("the recording did not fill");
    g_failed = true;
    return;
  }
  Pump(1500);
  main.Timer1.SetEnabled(false);
  Picture(main.Handle(), "main-window-full");
  main.Timer1.SetEnabled(true);
}

// A series of four tests of a few seconds each, judged against limits: the window after the first
// that failed (or the last) with its verdict, and the series table. Returns the tests' files.
std::vector<std::string> SeriesPictures(dynlog::ApplicationWindows& app) {
  Tfkm470a& main = app.fkm470a;
  app.fkm470d.SetRate(dynlog::SampleRate::Hz40);
  main.DescribeTest({dynlog::ForceUnit::N,
                     {"Feder-0012", "M. Berger", "A-2291", "Charge 7, 20 °C"},
                     {300.0, 800.0}});
  // The test dialog shows what was described, and OK takes it again.
  g_watch = [&main] {
    if (HWND dialog = FindQuestion(main.Handle())) {
      g_watch = nullptr;
      Picture(dialog, "test-dialog");
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  };
  main.ButtonPruefungClick();
  main.OpenSeries(g_folder + "\\Reihe");
  bool shown = false;
  for (std::size_t i = 1; i <= 4; ++i) {
    main.Button1.Click();
    Pump(2500);
    main.Button2.Click();
    if (!PumpUntil(5000, [&] { return main.Series()->Table().Rows().size() == i; })) {
      Report("a test of the series was not saved");
      g_failed = true;
      return {};
    }
    // The window after the first test that failed, with its reason; after the last one else.
    if (shown || (!main.CurrentRecording().CurrentVerdict().Failed() && i < 4))
      continue;
    shown = true;
    main.Timer1.SetEnabled(false);
    main.SeriesTableWindow()->Hide(); // it may stand over the window on a small screen
    Picture(main.Handle(), "main-window-verdict");
    main.Timer1.SetEnabled(true);
    main.SeriesTableWindow()->Show();
  }
  Picture(main.SeriesTableWindow()->Handle(), "series-table");
  std::vector<std::string> files;
  for (const dynlog::SeriesRow& row : main.Series()->Table().Rows())
    files.push_back(main.Series()->FileOf(row));
  main.EndSeries();
  return files;
}

// An hour of a bench's endurance run at 320 values per second, as the program saves it: a part
// loaded, held and released every 12 s, each time a little higher, with the unit's noise.
void WriteEnduranceRun(const std::string& path) {
  constexpr int kRate = 320, kCount = 3600 * kRate;
  std::vector<float> values(kCount);
  for (int i = 0; i < kCount; ++i) {
    const double t = std::fmod(i / double(kRate), 12.0), cycle = i / (12.0 * kRate);
    const double load = t < 3 ? t / 3 : t < 7 ? 1 : t < 8 ? 8 - t : 0;
    values[i] = static_cast<float>(
        std::round((load * (240 + 30 * std::sin(cycle / 40)) + 3 * std::sin(i * 0.7) + 2) * 10) /
        10);
  }
  dynlog::CsvHead head{{2026, 12, 8, 6, 0, 0, 60}, kRate, false, 1, "KM470 V2.03", "COM7"};
  head.test = {dynlog::ForceUnit::N, {"Dauerlauf-3", "M. Berger", "A-2291", ""}, {}};
  dynlog::SaveCsvFile(path, head, {values, {}, [](std::uint64_t i) { return i / double(kRate); }});
}

// Saved tests opened again in a larger window: the hour's run whole, a stretch of it zoomed into
// with its figures below the whole test's, and three tests of the series laid over each other.
void OpenedTestPictures(Tfkm470a& main, const std::vector<std::string>& seriesTests) {
  main.SetOuterSize(720, 480);
  const std::string run = g_folder + "\\Dauerlauf-3.csv";
  WriteEnduranceRun(run);
  main.OpenTests({run}, false);
  Pump(300);
  Picture(main.Handle(), "opened-stream");
  const dynlog::ChartAxes& a = main.Chart().Axes();
  const int left = a.shape2Left + 2, y = a.shape1Top + a.shape1Height / 2;
  const auto mouse = [&](UINT message, int x) {
    SendMessageW(main.Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(x, y));
  };
  // From 30:00 to 30:40, then the readout at a peak of it.
  mouse(WM_LBUTTONDOWN, left + (a.shape2Width - 1) / 2);
  mouse(WM_MOUSEMOVE, left + (a.shape2Width - 1) * 2440 / 4800);
  mouse(WM_LBUTTONUP, left + (a.shape2Width - 1) * 2440 / 4800);
  mouse(WM_MOUSEMOVE, left + a.shape2Width * 5 / 12);
  Pump(300);
  Picture(main.Handle(), "zoomed-stretch");
  if (seriesTests.size() >= 3) {
    main.OpenTests({seriesTests.begin(), seriesTests.begin() + 3}, false);
    main.MarkReference(0);
    Pump(300);
    Picture(main.Handle(), "compared-tests");
  }
  main.ButtonWholeTest.Click();
}

// A pull test played into the window frame by frame, 160 a second as at 9600 baud: a fixture of
// 12,5 N at rest, zeroed; armed at 50 N with half a second before it, the rise to 412 N, the
// break at 40 % of it. The window waiting, then after the break with its peak held, and its whole
// test.
void PullTestPictures(Tfkm470a& main) {
  main.Timer1.SetEnabled(false); // the frames are these, not the unit's
  main.SetOuterSize(640, 340);   // wide enough for the whole status line
  dynlog::ConditionSettings settings;
  settings.conditions.start = {dynlog::StartCondition::Kind::ForceAbove, 50, 0.5};
  settings.conditions.stop.breakPercent = 40;
  settings.conditions.stop.breakMinPeak = 200;
  main.TakeConditions(settings);
  main.Button1.Click();
  unsigned noise = 470;
  const auto frames = [&](int count, const std::function<double(int)>& force) {
    for (int i = 0; i < count; ++i) {
      noise = noise * 1103515245u + 12345u;
      // A few digits, as a load cell at rest shows them: a zero takes only a force at rest.
      const double jitter = static_cast<int>(noise >> 16 & 7) / 10.0 - 0.35;
      main.HandleFrame({std::round((force(i) + jitter) * 10) / 10, 0xC0});
    }
  };
  frames(160, [](int) { return 12.5; });
  main.ButtonNullen.Click();
  frames(320, [](int) { return 12.5; });
  Picture(main.Handle(), "main-window-armed");
  frames(256, [](int i) { return 12.5 + 400 * std::sqrt(i / 256.0); });
  frames(40, [](int i) { return 412.5 - 400 * std::min(1.0, i / 4.0); });
  Pump(300);
  if (!main.CurrentRecording().EndReason()) {
    Report("the pull test did not end at its break");
    g_failed = true;
  }
  Picture(main.Handle(), "main-window-break");
  // Its whole test: the half second before the start at negative times on the seconds scale.
  main.ButtonWholeTest.Click();
  Pump(300);
  Picture(main.Handle(), "main-window-break-whole");
  main.ButtonWholeTest.Click();
  main.ButtonNullAus.Click();
  main.TakeConditions({});
}

bool AnyLampLit(Tfkm470a& w) {
  for (const ui::Label* l : {&w.Label4, &w.Label5, &w.Label8, &w.Label9})
    if (l->Background() == RGB(0, 255, 0))
      return true;
  return false;
}

// After Stop: the whole test with its scales and results, a readout under the mouse; then a
// stretch of it zoomed into by dragging across the chart; Esc and the button bring back the sweep.
void WholeTestPictures(Tfkm470a& main) {
  main.ButtonWholeTest.Click();
  const dynlog::ChartAxes& a = main.Chart().Axes();
  const int left = a.shape2Left + 2, y = a.shape1Top + a.shape1Height / 2;
  const auto mouse = [&](UINT message, int x) {
    SendMessageW(main.Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(x, y));
  };
  mouse(WM_MOUSEMOVE, left + a.shape2Width * 2 / 3);
  Picture(main.Handle(), "main-window-whole-test");
  mouse(WM_LBUTTONDOWN, left + a.shape2Width / 4);
  mouse(WM_MOUSEMOVE, left + a.shape2Width / 2);
  mouse(WM_LBUTTONUP, left + a.shape2Width / 2);
  mouse(WM_MOUSEMOVE, left + a.shape2Width / 3);
  Picture(main.Handle(), "main-window-zoomed");
  SendMessageW(main.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  main.ButtonWholeTest.Click();
}

// The system's save dialog, as it comes up from Speichern after Stop, closed with Abbrechen: it
// speaks the user's language (German here, as on a German Windows).
void SaveDialogPicture(Tfkm470a& main) {
  g_watch = [] {
    if (HWND dialog = FindMessageBox()) {
      g_watch = nullptr;
      Picture(dialog, "save-dialog");
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  };
  main.BitBtnSpeichernClick();
  if (g_watch) {
    Report("Speichern showed no save dialog");
    g_watch = nullptr;
    g_failed = true;
  }
}

int Run() {
  ui::ApplicationWindow application(dynlog::kApplicationTitle);
  dynlog::ApplicationWindows app;
  application.SetMainForm(app.fkm470a.Handle());
  Tfkm470a& main = app.fkm470a;
  Tfkm470b& search = app.fkm470b;
  main.Show();
  app.fkm470d.SetRate(dynlog::SampleRate::Hz40);
  SetTimer(nullptr, 0, 50, Watch);

  // Start: the stored setting fails, the dialog searches and finds the unit at its first step.
  enum { Searching, Found, Over } phase = Searching;
  g_watch = [&] {
    if (!search.Visible())
      return;
    if (phase == Searching && search.RadioGroup1.Enabled() && !search.Found()) {
      Picture(search.Handle(), "search-dialog");
      phase = Found;
    } else if (phase == Found && search.Found()) {
      Picture(search.Handle(), "search-dialog-found");
      phase = Over;
    }
  };
  main.Button1.Click();
  g_watch = nullptr;
  if (!search.Found()) {
    Report("the unit was not found");
    return 1;
  }

  // Streaming: the chart fills, the value shows, the lamps follow the unit.
  Pump(6000);
  PumpUntil(10000, [&] { return AnyLampLit(main); });
  main.Timer1.SetEnabled(false); // the picture shows one moment
  Picture(main.Handle(), "main-window");
  main.Timer1.SetEnabled(true);
  ScaledAndMaximisedPictures(main);
  StoppedWindowPicture(main);
  WholeTestPictures(main);
  SaveDialogPicture(main);

  // The rate dialog, closed with OK.
  g_watch = [&] {
    if (app.fkm470d.Visible()) {
      g_watch = nullptr;
      Picture(app.fkm470d.Handle(), "rate-dialog");
      app.fkm470d.BitBtn1.Click();
    }
  };
  main.BitBtnEinstellungClick();

  // The info window, then the update: its question box is answered with Abbrechen.
  bool asked = false;
  g_watch = [&] {
    if (!app.AboutBox.Visible())
      return;
    if (!asked) {
      asked = true;
      Picture(app.AboutBox.Handle(), "info-window");
      PostMessageW(app.AboutBox.Handle(), WM_COMMAND,
                   MAKEWPARAM(app.AboutBox.Button4.Id(), BN_CLICKED),
                   reinterpret_cast<LPARAM>(app.AboutBox.Button4.Handle()));
    } else if (HWND box = FindMessageBox()) {
      g_watch = nullptr;
      Picture(box, "update-question");
      PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      PostMessageW(app.AboutBox.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(app.AboutBox.Button1.Handle()));
    }
  };
  main.Button4Click();
  if (g_watch) {
    Report("the update asked no question");
    g_failed = true;
  }
  UnsavedQuestionPicture(main);
  FullRecordingPicture(app);
  main.Button2.Click();
  OpenedTestPictures(main, SeriesPictures(app));
  PullTestPictures(main);
  main.Close();
  return g_failed ? 1 : 0;
}

void ReportError(const std::string& text) {
  Report("error box: " + text);
  g_failed = true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    Report("usage: window_pictures.exe FOLDER");
    return 2;
  }
  g_folder = argv[1];
  base::SetApplicationTitle(dynlog::kApplicationTitle);
  base::SetErrorSink(ReportError);
  try {
    return Run();
  } catch (const std::exception& e) {
    Report(e.what());
    return 1;
  }
}
