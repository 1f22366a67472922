// The four windows under Wine's null driver: the buttons' states, the indicators, the rate dialog,
// the value display and chart, saving, and closing, with km470sim as the unit.
#include "app/application.h"
#include "base/errorbox.h"
#include "base/messageloop.h"
#include "dialogs.h"
#include "files/descriptionsettings.h"
#include "info/fileversion.h"
#include "link/searchtiming.h"
#include "link/ucom.h"
#include "picture.h"
#include "simulatedunit.h"
#include "ui/appwindow.h"
#include "uitest.h"
#include "window/serieswindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

using testsupport::AfterMs;
using testsupport::PumpFor;
using testsupport::ReadFile;
using testsupport::SimulatedUnit;
using testsupport::TempWorkDir;

namespace {

constexpr COLORREF kLit = RGB(0, 255, 0);
constexpr COLORREF kDark = RGB(128, 128, 0);

struct ButtonStates {
  bool einstellung, start, stop, speichern, info, timer;
  friend bool operator==(const ButtonStates&, const ButtonStates&) = default;
};

ButtonStates States(Tfkm470a& w) {
  return {w.BitBtnEinstellung.Enabled(), w.Button1.Enabled(), w.Button2.Enabled(),
          w.BitBtnSpeichern.Enabled(),   w.Button4.Enabled(), w.Timer1.Enabled()};
}

int CountLines(const std::vector<std::string>& log, const std::string& line) {
  int n = 0;
  for (const auto& l : log)
    n += l == line;
  return n;
}

class Windows : public ::testing::Test {
protected:
  void TearDown() override {
    testsupport::CancelPendingSteps();
    ucom::ComClose();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  TempWorkDir dir;
};

} // namespace

// Closing the window while it measures stops the unit and closes the port.
TEST_F(Windows, ButtonsFollowIdleRunningAndStoppedAndClosingStopsTheUnit) {
  SimulatedUnit unit({.port = 2, .baud = 19200, .decimals = 2});
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  EXPECT_EQ(States(w), (ButtonStates{true, true, true, false, true, false}));
  EXPECT_EQ(w.DecimalPlaces, 0);
  w.Button2.Click(); // before any Start: nothing changes
  EXPECT_EQ(States(w), (ButtonStates{true, true, true, false, true, false}));
  EXPECT_EQ(w.CurrentRecording().State(), dynlog::MeasuringState::Idle);

  w.Button1.Click();
  EXPECT_EQ(States(w), (ButtonStates{false, true, true, false, true, true}));
  EXPECT_FALSE(w.FirstStart);
  EXPECT_EQ(w.DecimalPlaces, 2);
  EXPECT_FALSE(app.fkm470b.Visible());
  // 32 frames skipped, then 10 values a second: wait for the values themselves (the bound only
  // keeps a broken stream from hanging the test).
  base::WaitFor(base::MonotonicMs() + 20000,
                [&] { return w.CurrentRecording().SampleCount() > 5; });
  EXPECT_GT(w.CurrentRecording().SampleCount(), 5);
  EXPECT_EQ(w.Label1.TextColour(), RGB(255, 255, 255));

  w.Button2.Click();
  EXPECT_EQ(States(w), (ButtonStates{true, true, true, true, true, true}));

  // A second Start connects no more: it only restarts the stream and the recording, once the
  // values recorded are let go.
  testsupport::WhenWindowAppears([](HWND q) { return testsupport::Press(q, "Verwerfen"); });
  w.Button1.Click();
  EXPECT_EQ(w.CurrentRecording().SampleCount(), 0);
  EXPECT_EQ(States(w), (ButtonStates{false, true, true, false, true, true}));
  PumpFor(300);
  const auto log = unit.LogLines();
  EXPECT_EQ(CountLines(log, "rx ?V"), 1);
  EXPECT_EQ(CountLines(log, "rx C00D"), 1);
  EXPECT_EQ(CountLines(log, "rx C00C"), 2);
  // Closing while it measures asks first.
  std::string question;
  testsupport::WhenWindowAppears([&](HWND q) {
    question = testsupport::AllText(q);
    return testsupport::Press(q, "Verwerfen");
  });
  w.Close();
  EXPECT_NE(question.find("Es wird noch gemessen"), std::string::npos) << question;
  EXPECT_FALSE(ucom::ComIsOpen());
  PumpFor(200);
  EXPECT_EQ(unit.LogLines().back(), "stop");
}

// No unit at the first Start: the search says what it tries and is left with Esc; the window is
// idle again and says so. With the unit on, the next Start searches again; the found setting
// stands dark on the green for its half second, none of it greyed, and the stream starts.
TEST_F(Windows, SearchLeftWithEscLeavesTheWindowIdleAndTheNextStartFindsTheUnit) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  Tfkm470b& d = app.fkm470b;
  AfterMs(15000, [&] { d.Close(); }); // hang guard only
  std::string status;
  AfterMs(km470::SearchStepMs() * 3 / 2, [&] {
    status = d.StatusLabel.Text();
    SetFocus(d.RadioGroup1.ItemHandle(0));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  w.Button1.Click();
  EXPECT_EQ(status, "COM3: nicht vorhanden"); // nothing is linked there
  EXPECT_EQ(States(w), (ButtonStates{true, true, true, false, true, false}));
  wchar_t caption[80] = {};
  GetWindowTextW(w.Handle(), caption, 80);
  EXPECT_TRUE(std::wstring_view(caption).ends_with(L"kein Gerät gefunden"));

  SimulatedUnit unit({.port = 3, .baud = 9600});
  int greyed = -1, dark = 0; // pixels of the found items' captions and of the status line
  std::function<void()> watch = [&] {
    if (d.Background() != kFoundColour || !d.Visible())
      return AfterMs(20, watch);
    const testsupport::Picture picture(d.Handle());
    greyed = 0;
    for (HWND text :
         {d.RadioGroup1.ItemHandle(2), d.RadioGroup2.ItemHandle(0), d.StatusLabel.Handle()}) {
      RECT r;
      GetWindowRect(text, &r);
      MapWindowPoints(HWND_DESKTOP, d.Handle(), reinterpret_cast<POINT*>(&r), 2);
      r.left += GetSystemMetrics(SM_CXMENUCHECK); // past a radio button's circle
      for (const auto& [colour, n] : picture.Colours(r)) {
        greyed += colour == GetSysColor(COLOR_GRAYTEXT) ? n : 0;
        dark += testsupport::ContrastRatio(colour, kFoundColour) >= 4.5 ? n : 0;
      }
    }
  };
  AfterMs(20, watch);
  w.Button1.Click();
  EXPECT_EQ(greyed, 0);
  EXPECT_GT(dark, 60);
  PumpFor(300);
  EXPECT_EQ(CountLines(unit.LogLines(), "rx C00C"), 1);
}

// Which lamp a frame's bits light is the protocol's rule; here each lamp is the right label.
TEST_F(Windows, IndicatorsFollowEveryFrameBothColumns) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.HandleFrame({100, 0xC0 | 0x18 | 0x04}); // limit column: both limits and the trigger
  const auto lit = [&] {
    std::string on;
    for (ui::Label* l : {&w.Label4, &w.Label5, &w.Label6, &w.Label7, &w.Label8, &w.Label9})
      on += l->Background() == kLit ? '1' : l->Background() == kDark ? '0' : '?';
    return on;
  };
  EXPECT_EQ(lit(), "110001");
  w.HandleFrame({100, 0xC0 | 0x20 | 0x18}); // gross/net column: net shown and overload
  EXPECT_EQ(lit(), "110110");
  EXPECT_EQ(w.CurrentRecording().SampleCount(), 0) << "while the first 32 frames are skipped";
}

TEST_F(Windows, RateDialogClearsTheAveragingButNotTheCountDown) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  app.fkm470d.CheckBoxMitteln.SetChecked(true);
  for (int i = 0; i < 10; ++i)
    w.HandleFrame({5.0, 0xC0});
  EXPECT_EQ(w.CurrentRecording().AcquisitionState().AverageCount(), 10);
  const int skip = w.CurrentRecording().AcquisitionState().SkipCounter();
  // The user picks 320 and leaves with Abbrechen: the choice stays in effect.
  AfterMs(100, [&] {
    EXPECT_TRUE(app.fkm470d.Visible());
    app.fkm470d.RadioButton320.SetChecked(true);
    app.fkm470d.BitBtn2.Click();
  });
  w.BitBtnEinstellungClick();
  EXPECT_FALSE(app.fkm470d.Visible());
  EXPECT_EQ(w.CurrentRecording().AcquisitionState().AverageCount(), 0);
  EXPECT_EQ(w.CurrentRecording().AcquisitionState().SkipCounter(), skip);
  EXPECT_EQ(app.fkm470d.Rate(), dynlog::SampleRate::Hz320);
  // The close box closes it just as well.
  AfterMs(100, [&] { app.fkm470d.Close(); });
  w.BitBtnEinstellungClick();
  EXPECT_FALSE(app.fkm470d.Visible());
}

// The trace is kept off screen, so a repaint shows it again, and the picture --record --screenshot
// writes has it. (The value display's look is the pictures' test, its text and the chart's
// geometry are native.)
TEST_F(Windows, RepaintAndScreenshotKeepTheTrace) {
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  for (int i = 0; i < 300; ++i)
    w.ShowValue(600 + 500 * ((i / 40) % 2));
  InvalidateRect(w.Handle(), nullptr, TRUE);
  UpdateWindow(w.Handle());
  w.SaveScreenshot(dir.Path() + "\\chart.bmp");
  const std::string bmp = ReadFile(dir.Path() + "\\chart.bmp");
  ASSERT_GT(bmp.size(), 54u);
  int blue = 0;
  for (size_t i = 54; i + 2 < bmp.size(); i += 3)
    blue += static_cast<unsigned char>(bmp[i]) == 255 && bmp[i + 1] == 0 && bmp[i + 2] == 0;
  EXPECT_GT(blue, 300);
}

TEST_F(Windows, ApplicationTitleOwnsTheFormsAndClosingItClosesTheProgram) {
  ui::ApplicationWindow application(dynlog::kApplicationTitle);
  dynlog::ApplicationWindows app;
  application.SetMainForm(app.fkm470a.Handle());
  app.fkm470a.Show();
  wchar_t title[128] = {};
  GetWindowTextW(application.Handle(), title, 128);
  EXPECT_STREQ(title, L"PC-Programm für Anzeigeeinheit KM470 und PT615");
  EXPECT_EQ(GetWindow(app.fkm470a.Handle(), GW_OWNER), application.Handle());
  // Closing it from the task bar closes the main window, which ends the program.
  const HWND main = app.fkm470a.Handle();
  SendMessageW(application.Handle(), WM_CLOSE, 0, 0);
  bool quit = false;
  for (const ULONGLONG end = GetTickCount64() + 2000; !quit && GetTickCount64() < end;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      quit = quit || msg.message == WM_QUIT;
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  EXPECT_TRUE(quit);
  EXPECT_FALSE(IsWindow(main));
}

TEST(ProgramFile, CarriesItsVersionResource) {
  // dynlog.exe itself: file version 1.0.0.1 (its product version, 1.0.0.0 in the text, never
  // shows).
  const std::string exe =
      testsupport::WindowsPathOf(std::getenv("DYNLOG_BINARY_DIR")) + "\\src\\app\\dynlog.exe";
  EXPECT_EQ(dynlog::FileVersionText(exe), "1.0.0.1");
}

namespace {

using testsupport::AllText;
using testsupport::Press;
using testsupport::WhenWindowAppears;

// A recording of `values` values (every frame after the first 32), made without a unit, and
// stopped unless still running.
void Recorded(dynlog::ApplicationWindows& app, int values, bool stopped = true) {
  app.fkm470d.RadioButton320.SetChecked(true);
  app.fkm470a.FirstStart = false; // Start connects no more
  app.fkm470a.Button1.Click();
  for (int i = 0; i < 32 + values; ++i)
    app.fkm470a.HandleFrame({static_cast<double>(i), 0xC0});
  if (stopped)
    app.fkm470a.Button2.Click();
}

// Answers the save dialog with path, and its question to replace the file with "Ja".
void AnswerSaveDialog(const std::string& path, bool replaces) {
  WhenWindowAppears([path, replaces](HWND dialog) {
    testsupport::SaveAs(dialog, path);
    if (replaces)
      WhenWindowAppears([](HWND box) { return Press(box, "Ja") || Press(box, "Yes"); });
    return true;
  });
}

} // namespace

TEST_F(Windows, UnsavedRecordingIsNotDroppedWithoutAQuestion) {
  enum Action { Start, CloseBox, AltF4 };
  const struct {
    Action action;
    bool running;
    const char* answer;
    bool dropped;
  } cases[] = {
      {Start, false, "Abbrechen", false},   {AltF4, false, "Verwerfen", true},
      {CloseBox, false, "Speichern", true}, {Start, true, "Weiter messen", false},
      {Start, true, "Verwerfen", true},     {CloseBox, true, "Stoppen und speichern", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.action) + c.answer);
    dynlog::ApplicationWindows app;
    Tfkm470a& w = app.fkm470a;
    w.Show();
    Recorded(app, 3, !c.running);
    const HWND main = w.Handle();
    const std::string saved = dir.Path() + "\\gesichert.txt";
    DeleteFileA(saved.c_str());
    const bool save = std::string_view(c.answer).ends_with("peichern");
    std::string question;
    WhenWindowAppears([&](HWND q) {
      question = AllText(q);
      if (save)
        AnswerSaveDialog(saved, false);
      return Press(q, c.answer);
    });
    if (c.action == Start)
      w.Button1.Click();
    else
      SendMessageW(main, c.action == CloseBox ? WM_SYSCOMMAND : WM_SYSKEYDOWN,
                   c.action == CloseBox ? SC_CLOSE : VK_F4,
                   c.action == CloseBox ? 0 : KF_ALTDOWN << 16);
    PumpFor(100);
    MSG quit; // a closed main window ends the program, and with it the next case's question
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_NE(question.find("3 Messwerten ist nicht gespeichert"), std::string::npos) << question;
    EXPECT_EQ(c.action == Start ? w.CurrentRecording().SampleCount() == 0 : !IsWindow(main),
              c.dropped);
    if (save) {
      EXPECT_NE(ReadFile(saved).find("\r\n\r\n32\r\n33\r\n34\r\n"), std::string::npos);
    }
    if (c.running && !c.dropped) {
      EXPECT_EQ(w.CurrentRecording().State(), dynlog::MeasuringState::Running);
    }
  }
  // Saved, nothing is asked; after a new Start nothing is recorded, and nothing is written.
  // Stopped with nothing recorded, there is nothing to save or to show, until a value that was
  // still on its way comes.
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  Recorded(app, 0);
  EXPECT_FALSE(w.BitBtnSpeichern.Enabled() || w.ButtonWholeTest.Enabled());
  w.HandleFrame({32, 0xC0});
  EXPECT_TRUE(w.BitBtnSpeichern.Enabled() && w.ButtonWholeTest.Enabled());
  w.HandleFrame({33, 0xC0});
  const std::string path = dir.Path() + "\\m.txt";
  w.SaveRecordingTo(path);
  EXPECT_NE(ReadFile(path).find("\r\n\r\n32\r\n33\r\n"), std::string::npos);
  w.Button1.Click();
  DeleteFileA(path.c_str());
  w.SaveRecordingTo(path);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  w.Close();
  EXPECT_FALSE(IsWindow(w.Handle()));
}

TEST_F(Windows, SaveAsksBeforeReplacingAndAFailedSaveNamesTheFileAndKeepsTheValues) {
  static std::vector<std::string> errors;
  base::SetErrorSink([](const std::string& text) { errors.push_back(text); });
  const base::ScopeExit sink{[] { base::SetErrorSink(nullptr); }};
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  Recorded(app, 2);
  const auto speichern = [&] { // through the window, which shows what the handler throws
    SendMessageW(w.Handle(), WM_COMMAND, MAKEWPARAM(w.BitBtnSpeichern.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(w.BitBtnSpeichern.Handle()));
  };
  const std::string path = dir.Path() + "\\alt.txt";
  std::ofstream(path) << "alt";
  // "Nein" to replacing keeps the dialog open; it is then cancelled, and the file is as it was.
  WhenWindowAppears([&](HWND dialog) {
    testsupport::SaveAs(dialog, path);
    WhenWindowAppears([dialog](HWND box) {
      AfterMs(300, [dialog] { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
      return Press(box, "Nein") || Press(box, "No");
    });
    return true;
  });
  speichern();
  EXPECT_EQ(ReadFile(path), "alt");
  // "Ja" to replacing a read-only file: the save is refused.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  AnswerSaveDialog(path, true);
  speichern();
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Dateizugriff verweigert", 0), 0u) << errors[0];
  for (const char* part : {"alt.txt", "ist erhalten"})
    EXPECT_NE(errors[0].find(part), std::string::npos) << errors[0];
  EXPECT_EQ(w.CurrentRecording().SampleCount(), 2);
  // "CSV (Semikolon)" chosen beside "Textdatei" with the name "versuch1.txt" kept: the name
  // follows the type at once, so nothing is asked about versuch1.txt, which stays as it was.
  const std::string old = dir.Path() + "\\versuch1.txt";
  std::ofstream(old) << "alt";
  std::string types, name;
  bool asked = false;
  WhenWindowAppears([&](HWND dialog) {
    const HWND type = GetDlgItem(dialog, 0x470); // cmb1
    for (int i = 0; i < 2; ++i) {
      wchar_t text[64] = {};
      SendMessageW(type, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      types += base::Narrow(text) + ";";
    }
    for (int id : {0x47C, 0x480}) // cmb13, edt1
      SetDlgItemTextW(dialog, id, base::Widen(old).c_str());
    SendMessageW(type, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(type));
    for (int id : {0x47C, 0x480})
      name = std::max(name, testsupport::WindowText(GetDlgItem(dialog, id)));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // A question about replacing a file would be about the wrong one: answered "Nein".
    WhenWindowAppears([&](HWND box) {
      asked = Press(box, "Nein") || Press(box, "No");
      if (asked)
        AfterMs(300, [dialog] { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
      return asked;
    });
    return true;
  });
  speichern();
  EXPECT_FALSE(asked);
  EXPECT_EQ(types.rfind("Textdatei", 0), 0u) << types;
  EXPECT_TRUE(name.ends_with("versuch1.csv")) << name;
  EXPECT_EQ(ReadFile(old), "alt");
  EXPECT_NE(ReadFile(dir.Path() + "\\versuch1.csv").find("Zeit in s;Wert"), std::string::npos);
  EXPECT_EQ(errors.size(), 1u);
}

// A save dialog that went to another folder moves neither the working folder nor km470.ini: the
// part number changed afterwards is offered at the next start.
TEST_F(Windows, SettingsChangedAfterASaveElsewhereAreFoundAtTheNextStart) {
  const std::string other = dir.Path() + "\\anderswo";
  CreateDirectoryA(other.c_str(), nullptr);
  {
    dynlog::ApplicationWindows app;
    app.fkm470a.Show();
    Recorded(app, 2);
    WhenWindowAppears([](HWND dialog) {
      testsupport::SaveAs(dialog, "anderswo"); // into the folder first, as a person goes there
      AfterMs(50, [dialog] { testsupport::SaveAs(dialog, "m.txt"); });
      return true;
    });
    app.fkm470a.BitBtnSpeichern.Click();
    app.fkm470a.DescribeTest({dynlog::ForceUnit::N, {"Feder-0009", "Ute", "", ""}, {}});
  }
  EXPECT_EQ(std::filesystem::current_path().string(), dir.Path()); // where the next start is
  dynlog::ApplicationWindows again;
  EXPECT_EQ(again.fkm470a.CurrentRecording().NextDescription().trace.part, "Feder-0009");
  EXPECT_TRUE(std::ifstream(other + "\\m.txt").good());
}

// "Prüfreihe…" opens the folder picker at the last series' folder, which OK takes; the series
// window is titled with its name and shows its path. A drive's root is taken only after a
// question that names it.
TEST_F(Windows, TheSeriesFolderIsChosenWhereTheLastSeriesWas) {
  // On the drive that holds the Linux side, whose folders Wine's tree of folders did not open.
  const std::string last =
      testsupport::WindowsPathOf(std::getenv("DYNLOG_BINARY_DIR")) + "\\Reihe S";
  CreateDirectoryA(last.c_str(), nullptr);
  const base::ScopeExit removed{[&] { std::filesystem::remove_all(last); }};
  dynlog::ApplicationWindows app;
  Tfkm470a& w = app.fkm470a;
  w.Show();
  std::string question;
  for (const std::string& start : {last, std::string("C:\\")}) {
    dynlog::WriteSeriesFolder(app.settings, start);
    WhenWindowAppears([&](HWND dialog) {
      WhenWindowAppears([&](HWND box) { // the question, not the series window
        if (!Press(box, "Abbrechen"))
          return false;
        question = AllText(box);
        return true;
      });
      return PostMessageW(dialog, WM_COMMAND, IDOK, 0) != FALSE;
    });
    w.ButtonReihe.Click();
    if (start == last) {
      ASSERT_NE(w.SeriesTableWindow(), nullptr);
      EXPECT_EQ(testsupport::WindowText(w.SeriesTableWindow()->Handle()), "Prüfreihe – Reihe S");
      EXPECT_EQ(w.SeriesTableWindow()->FolderPath.Text(), last);
      EXPECT_EQ(question, "");
      w.EndSeries();
      testsupport::CancelPendingSteps(); // the wait for a question that did not come
    }
  }
  EXPECT_NE(question.find("Die Prüfreihe im Hauptverzeichnis C:\\ anlegen?"), std::string::npos)
      << question;
  EXPECT_FALSE(IsWindowVisible(w.SeriesTableWindow()->Handle()));
}
