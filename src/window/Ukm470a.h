#pragma once
// The measurement window, the program's main window. Its Start button connects to the unit (the
// first time only) and starts the stream; its 50 ms timer polls the serial channel and hands every
// frame to the recording, which thins it (optionally averaging) to the rate of the rate dialog.
// The window shows the recording: the six indicators follow each frame, and every kept value is
// shown in large digits and drawn as the next point of the sweeping force chart.
#include "base/handles.h"
#include "base/numberformat.h"
#include "base/throttle.h"
#include "chart/forcechart.h"
#include "chart/wholetestmodel.h"
#include "files/descriptionsettings.h"
#include "files/seriesfolder.h"
#include "link/km470protocol.h"
#include "link/ucom.h"
#include "test/aftertest.h"
#include "test/recording.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/runmode.h"
#include "window/chartarea.h"
#include "window/conditionspanel.h"
#include "window/lamppanel.h"
#include "window/mainlayout.h"
#include "window/recordingsaver.h"
#include "window/recordingseries.h"
#include "window/redrawmarks.h"
#include "window/statuslines.h"
#include "window/valuepanel.h"
#include "window/wholetestpane.h"
#include "window/zerorequest.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Tfkm470b;
class Tfkm470d;
class SeriesWindow;
class TestDialog;

class Tfkm470a : public ui::Form {
  // Declared before the controls, which are created with them.
  ui::ScaledFont& indicatorFont_;
  ui::ScaledFont& valueFont_; // grows with the window
  ui::ScaledFont& arrowFont_;
  ui::ScaledFont& statusFont_;
  ui::ScaledFont& unitFont_;    // grows with the value display
  ui::ScaledFont& verdictFont_; // grows with it too
  ui::ScaledFont& reasonFont_;
  ui::ScaledFont& peakFont_; // grows with the value display

public:
  // The window reads the test description and the conditions from settings as it is made.
  Tfkm470a(km470::Settings& settings, ui::RunMode mode);
  ~Tfkm470a() override;

  // The windows created after this one, which it opens and whose controls it reads.
  void SetCompanions(Tfkm470b* search, ui::Form* about, Tfkm470d* rate);

  // Event handlers.
  void Button1Click();                                     // Start
  void Button2Click();                                     // Stop
  void Button4Click();                                     // info
  void BitBtnEinstellungClick();                           // rate dialog
  void BitBtnSpeichernClick() { saver_.SaveWithDialog(); } // save, through the save dialog
  void ButtonWholeTestClick(); // after Stop: the whole test, or the sweep as it was
  void ButtonPruefungClick();  // the test dialog: unit, part and people, limits
  void ButtonReiheClick();     // a series folder chosen; its table shown
  void ButtonOeffnenClick();   // saved tests from the disk, through the open dialog
  void ButtonBildClick();      // the shown test's chart to the clipboard, and as a PNG
  void ButtonBerichtClick() { wholePane_.Report(Handle()); } // printed or as a PNG
  // A test that starts and ends by itself, zero and the held peak.
  void ButtonBedingungenClick() { conditions_.Ask(); } // the conditions dialog
  void ButtonNullenClick() { conditions_.Zero(!FirstStart && ucom::ComIsOpen()); }
  void ButtonNullAusClick() { conditions_.ClearZero(); }
  // The conditions of the next Start and whether the lowest value is held; kept in km470.ini
  // while a person is at the window.
  void TakeConditions(const dynlog::ConditionSettings& settings) { conditions_.Take(settings); }
  void Timer1Timer(); // the acquisition cycle
  // Saves the recording to path without asking (the save dialog's work once a name is chosen).
  // Throws with the German file error text.
  void SaveRecordingTo(const std::string& utf8Path) { saver_.SaveTo(utf8Path); }
  // A person is at the window: a stopped recording that has not been saved is not dropped by
  // Start or by closing without a question, and what the person chooses is kept in km470.ini.
  // The runs without a person save through SaveRecordingTo.
  bool PersonAtWindow() const { return runMode_ == ui::RunMode::Person; }
  // For a run that begins with a person and goes on without one.
  void SetRunMode(ui::RunMode mode) { runMode_ = mode; }
  // One decoded frame: indicators, then the recording, and the display of a value it keeps.
  // Outside the acquisition cycle the window shows it at once.
  void HandleFrame(const km470::MeasurementFrame& frame);
  // The value display and the chart for one kept value.
  void ShowValue(double value);
  // Renders the client area (the chart and every control) into a 24-bit BMP file.
  void SaveScreenshot(const std::string& utf8Path);

  // The person's description of the next test, and of this one while it may still be corrected:
  // handed to the recording, shown, and kept in km470.ini while a person is at the window.
  void DescribeTest(const dynlog::TestDescription& description);
  // The series every test is saved into by itself when it stops (RecordingSeries::Open, End).
  void OpenSeries(const std::string& utf8Folder) { series_.Open(utf8Folder); }
  void EndSeries() { series_.End(); }
  const dynlog::SeriesFolder* Series() const { return series_.Folder(); }
  SeriesWindow* SeriesTableWindow() { return series_.TableWindow(); }
  // The whole curve of the series' test in that row, read from its file, in the whole-test view.
  // Nothing happens while a test runs.
  void ShowSeriesTest(int row);
  // Saved tests opened in the whole-test view; with `add` laid over what it shows. The recording
  // stays as it is. Nothing happens while a test runs.
  void OpenTests(const std::vector<std::string>& utf8Paths, bool add);
  // Curve i of the whole-test view becomes the reference, or stops being it (a legend's click).
  void MarkReference(std::size_t i) { Follow(whole_.ToggleReference(i)); }
  const dynlog::WholeTestModel& WholeTest() const { return whole_; }

  dynlog::Recording& CurrentRecording() { return recording_; }
  const dynlog::ForceChart& Chart() const { return chart_; }
  // The indicator for each km470::Indicator, in that enum's order.
  ui::Label& IndicatorLabel(km470::Indicator which) { return lamps_.Label(which); }

  bool FirstStart = true;
  int DecimalPlaces = 0;

  ui::Button BitBtnEinstellung;
  ui::Button Button1;
  ui::Button Button2;
  ui::Button BitBtnSpeichern;
  ui::Button Button4;
  ui::Label Label4;          // Grenzwert 1
  ui::Label Label5;          // Grenzwert 2
  ui::Label Label6;          // Brutto
  ui::Label Label7;          // Netto
  ui::Label Label8;          // Unter- Überlast
  ui::Label Label9;          // T-Eingang
  ui::Label Label1;          // value display
  ui::Label Label3;          // axis name "F"
  ui::Label Label2;          // arrow beside it
  ui::Label StatusLabel;     // the lowest line: state, the recording, the rate kept
  ui::Label ConnectionLabel; // beside it at the right: port, baud rate and unit
  ui::Timer Timer1;
  ui::Button ButtonWholeTest;
  ui::Button ButtonPruefung;
  ui::Button ButtonReihe;
  ui::Label UnitLabel;    // the force unit beside the value display, on its panel
  ui::Label VerdictLabel; // after Stop with limits: "i.O." on green, "n.i.O." on red
  ui::Label ReasonLabel;  // beside it: why it failed, or which limits hold
  ui::Button ButtonOeffnen;
  ui::Button ButtonBild;
  ui::Button ButtonBericht;
  ui::Button ButtonBedingungen;
  ui::Button ButtonNullen;
  ui::Button ButtonNullAus;
  ui::Label PeakLabel; // below the value display: "Max. 940,3 N"
  ui::Label EndLabel;  // above the status line once a condition ended the test: "Ende: Zeit"

protected:
  bool FormCloseQuery() override;
  void FormClose() override;
  void FormResize() override;
  void FormDpiChanged() override;
  void FormPaint(HDC dc, const RECT& area) override;
  // The mouse, Esc and a double click go to the whole-test view.
  void FormMouseMove(int x, int y) override { Follow(whole_.MouseMove(x, y)); }
  void FormMouseDown(int x, int y) override { Follow(whole_.MouseDown(x, y)); }
  void FormMouseUp(int x, int) override { Follow(whole_.MouseUp(x)); }
  void FormDoubleClick(int, int) override { Follow(whole_.ShowAll()); }
  void FormEscape() override { Follow(whole_.ShowAll()); }
  void FormFilesDropped(const std::vector<std::string>& utf8Paths) override {
    OpenTests(utf8Paths, GetKeyState(VK_CONTROL) < 0);
  }
  bool FormKey(WPARAM key) override;

private:
  // The setting a Start now would take: the rate dialog, the open port, the unit.
  dynlog::RecordingSetting SettingForStart() const;
  // The rate dialog and the baud rate as they stand: read once per tick, afresh outside one.
  dynlog::FrameSettings CurrentFrameSettings() const;
  // Draws what is marked: lamps, value, scales and text lines, status; then the window.
  void Paint();
  // Draws the marked scales and text lines into the off-screen bitmap, the results line only with
  // texts due; returns where.
  dynlog::PixelBox PaintReadings(bool texts);
  void ShowStatus();
  // The status line now, and the results line (when asked) with the next paint.
  void ShowTextsNow(bool results);
  // The value panel for the room and the decimals.
  void SizeValueDisplay();
  // The value display, the axis name and the chart for the window's size and DPI.
  void LayOut();
  void MakeButtonPictures();
  // The trace afresh: the sweep, or the whole test; the scales and text lines with it.
  void RedrawChart();
  void ShowWholeTest(bool shown);
  // What a change of the whole-test view asks: its test described, the trace, the readout.
  void Follow(dynlog::ViewChange change);
  // The axis name, the unit beside the value display and the verdict row after a new description,
  // or for another test shown.
  void ShowDescription();
  // The verdict after Stop, or the limits before it, in the row below the value display.
  void ShowVerdict();
  // The chart's range takes in the limits, so that their lines show how near the test came.
  void IncludeLimitsInChart();
  // The limits of the test shown: the recording's.
  const dynlog::ForceLimits& ShownLimits() const { return recording_.Description().limits; }
  // After Start or an arming by itself: the new recording's state shown.
  void ShowStarted();
  // After the frames just handled: what the recording announced about its test, shown.
  void FollowTest();
  // The ended test's question before it is armed again, from the message loop; then armed again.
  void AskBeforeRearm();
  // What AfterTest says follows: as Stop, or shown as after Start.
  void Follow(const dynlog::AfterTest::Steps& steps);

  km470::Settings& settings_;
  ui::RunMode runMode_;
  Tfkm470b* search_ = nullptr;
  ui::Form* about_ = nullptr;
  Tfkm470d* rate_ = nullptr;

  dynlog::Recording recording_;
  dynlog::AfterTest after_{recording_};
  ZeroRequest zero_{recording_};
  dynlog::ForceChart chart_;
  km470::FrameDecoder decoder_;
  // Read once at the start of a tick: nothing can change them while its frames are handled.
  std::optional<dynlog::FrameSettings> tickSettings_;

  base::Icon buttonPictures_[2];
  ui::ScaledFont& scaleFont_;
  dynlog::NumberSeparators separators_;

  // One paint path: changes mark, Paint draws. The screen follows every second tick; the text of
  // the results and status lines, which costs more to draw than the trace, twice a second.
  dynlog::RedrawMarks marks_;
  std::uint64_t ticks_ = 0;
  base::Throttle paintEvery_{2};   // ticks
  base::Throttle textsEvery_{500}; // ms; the results line and the status line together
  double value_ = 0;               // the newest kept value

  dynlog::WindowSize firstClient_; // logical; the value display grows beyond it
  // The whole-test view after Stop or with opened tests, and its side in this window.
  dynlog::WholeTestModel whole_{recording_, chart_, separators_};
  WholeTestPane wholePane_{whole_, recording_, chart_, separators_};

  dynlog::ValueDisplayPlace place_;
  std::unique_ptr<TestDialog> testDialog_;
  LampPanel lamps_{{&Label4, &Label5, &Label6, &Label7, &Label8, &Label9}};
  ChartArea chartArea_{*this, {chart_, whole_, wholePane_, marks_, separators_, scaleFont_}};
  ValuePanel valuePanel_{*this,
                         {Label1, UnitLabel, PeakLabel, VerdictLabel, ReasonLabel},
                         {valueFont_, unitFont_, verdictFont_, reasonFont_}};
  StatusLines statusLines_{*this, {StatusLabel, ConnectionLabel, EndLabel}, statusFont_};
  ConditionsPanel conditions_{
      Handle(),
      {recording_, after_, zero_, settings_, runMode_, DecimalPlaces, separators_},
      {ButtonNullen, ButtonNullAus, PeakLabel},
      [this] { ShowTextsNow(false); },
      [this] { series_.KeepWaiting(); }};
  RecordingSaver saver_{Handle(), recording_, settings_, runMode_, separators_};
  RecordingSeries series_{
      Handle(), recording_, after_, settings_, runMode_, separators_, [this](int row) {
        ShowSeriesTest(row);
      }};
};
