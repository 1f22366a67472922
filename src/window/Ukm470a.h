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
#include "chart/openedtests.h"
#include "chart/tracepicture.h"
#include "chart/wholetest.h"
#include "files/descriptionsettings.h"
#include "files/seriesfolder.h"
#include "link/km470protocol.h"
#include "test/recording.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/runmode.h"
#include "window/mainlayout.h"
#include "window/redrawmarks.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ConditionsDialog;
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
  void Button1Click();           // Start
  void Button2Click();           // Stop
  void Button4Click();           // info
  void BitBtnEinstellungClick(); // rate dialog
  void BitBtnSpeichernClick();   // save, through the save dialog
  void ButtonWholeTestClick();   // after Stop: the whole test, or the sweep as it was
  void ButtonPruefungClick();    // the test dialog: unit, part and people, limits
  void ButtonReiheClick();       // a series folder chosen; its table shown
  void ButtonOeffnenClick();     // saved tests from the disk, through the open dialog
  void ButtonBildClick();        // the shown test's chart to the clipboard, and as a PNG
  void ButtonBerichtClick();     // the shown test's report page, printed or as a PNG
  // A test that starts and ends by itself, zero and the held peak (mainconditions.cpp).
  void ButtonBedingungenClick(); // the conditions dialog
  void ButtonNullenClick();      // zero from the last half second
  void ButtonNullAusClick();     // the zero cleared
  void ResetHeldPeak();          // a click on the held peak, or the M key
  // The conditions of the next Start and whether the lowest value is held; kept in km470.ini
  // while a person is at the window.
  void TakeConditions(const dynlog::ConditionSettings& settings);
  void Timer1Timer(); // the acquisition cycle
  // Saves the recording to path without asking (the save dialog's work once a name is chosen):
  // CSV for a name ending in .csv, the text file otherwise. Nothing happens when nothing is
  // recorded. Throws with the German file error text.
  void SaveRecordingTo(const std::string& utf8Path);
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
  // Opens the series kept in the folder, or continues it: from now on every test is saved there
  // by itself when it stops. Throws base::FileError with the German file error text, and
  // std::runtime_error for a folder that holds no series or a part too long for its file names.
  void OpenSeries(const std::string& utf8Folder);
  // Tests are no longer saved by themselves; the folder stays as it is.
  void EndSeries();
  const dynlog::SeriesFolder* Series() const { return series_.get(); }
  SeriesWindow* SeriesTableWindow() { return seriesWindow_.get(); }
  // The whole curve of the series' test in that row, read from its file, in the whole-test view.
  // Nothing happens while a test runs.
  void ShowSeriesTest(int row);
  // Saved tests opened in the whole-test view; with `add` laid over what it shows. The recording
  // stays as it is. Nothing happens while a test runs.
  void OpenTests(const std::vector<std::string>& utf8Paths, bool add);
  const dynlog::ComparedTests& Compared() const { return compared_; }
  // Curve i of the whole-test view becomes the reference, or stops being it (a legend's click).
  void MarkReference(std::size_t i);
  // The two lines below the whole test: its results, and the stretch shown or the file's head.
  const std::string& TextLine(int i) const { return textLines_[i % 2]; }

  dynlog::Recording& CurrentRecording() { return recording_; }
  const dynlog::ForceChart& Chart() const { return chart_; }
  bool WholeTestShown() const { return wholeShown_; }
  const dynlog::WholeTestView& WholeView() const { return wholeView_; }
  // The indicator for each km470::Indicator, in that enum's order.
  ui::Label& IndicatorLabel(km470::Indicator which);

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
  void FormMouseMove(int x, int y) override;
  void FormMouseDown(int x, int y) override;
  void FormMouseUp(int x, int y) override;
  void FormDoubleClick(int x, int y) override;
  void FormEscape() override;
  void FormFilesDropped(const std::vector<std::string>& utf8Paths) override;
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
  // Asks before Start or closing drops an unsaved recording; true when it may be dropped.
  bool MayDropRecording(bool closing);
  // The save dialog, then the file; a failure is shown. True when the file was written.
  bool SaveWithDialog();
  void PlaceStatusLine();
  // The digits, the unit beside them and the held peak below, for the room and the decimals.
  void SizeValueDisplay();
  // The value display, the axis name and the chart for the window's size and DPI.
  void LayOut();
  void MakeButtonPictures();
  // Hands use the test the whole-test view is about (its main curve, when that is an opened file)
  // or else the recording, with its name; an error box when there is none.
  void WithShownTest(const std::function<void(const dynlog::OpenedTest&, const std::string&)>& use);
  // The trace afresh: the sweep, or the whole test; the scales and text lines with it.
  void RedrawChart();
  void ShowWholeTest(bool shown);
  // The opened test the whole-test view is about, when its main curve is one: the axis name and
  // the verdict row then say its unit, limits and verdict rather than the recording's.
  const dynlog::OpenedTest* ShownFile() const;
  // The axis name, the unit beside the value display and the verdict row after a new description,
  // or for another test shown.
  void ShowDescription();
  // The verdict after Stop, or the limits before it, in the row below the value display.
  void ShowVerdict();
  void PlaceVerdict();
  // The limit lines across the chart, on the scale shown.
  void PaintLimitLines(HDC dc, const RECT& area);
  // The chart's range takes in the limits, so that their lines show how near the test came.
  void IncludeLimitsInChart();
  // The limits of the test shown: the recording's.
  const dynlog::ForceLimits& ShownLimits() const { return recording_.Description().limits; }
  // The stopped recording into the open series, once the values on their way are in.
  void SaveToSeries();
  void ShowSeriesTable();
  // What the whole-test view shows, the time window of its columns, and the limits it draws.
  std::vector<dynlog::ShownCurve> Curves() const {
    return compared_.Curves(recording_, separators_);
  }
  dynlog::TimeWindow ShownWindow(const std::vector<dynlog::ShownCurve>& curves) const;
  dynlog::ForceLimits ChartLimits() const;
  // After Start or an arming by itself: the new recording's state shown.
  void ShowStarted();
  // A test began or ended by itself during the frames just handled: as after Stop, and armed
  // again when the conditions ask for it.
  void AfterConditions();
  // The ended test's question before it is armed again, from the message loop; then armed again.
  void AskBeforeRearm();
  void Rearm();
  void ShowHeldPeak();
  void ShowZero();
  // After each tick: a zero asked for that was taken, refused or given up.
  void WatchZero();

  km470::Settings& settings_;
  ui::RunMode runMode_;
  Tfkm470b* search_ = nullptr;
  ui::Form* about_ = nullptr;
  Tfkm470d* rate_ = nullptr;

  dynlog::Recording recording_;
  dynlog::ForceChart chart_;
  km470::FrameDecoder decoder_;
  // Read once at the start of a tick: nothing can change them while its frames are handled.
  std::optional<dynlog::FrameSettings> tickSettings_;

  base::Icon buttonPictures_[2];
  dynlog::TracePicture picture_;
  ui::ScaledFont& scaleFont_;
  base::Brush paperBrush_;
  dynlog::NumberSeparators separators_;

  // One paint path: changes mark, Paint draws. The screen follows every second tick; the text of
  // the results and status lines, which costs more to draw than the trace, twice a second.
  dynlog::RedrawMarks marks_;
  std::uint64_t ticks_ = 0;
  base::Throttle paintEvery_{2};   // ticks
  base::Throttle textsEvery_{500}; // ms; the results line and the status line together
  // The lamps' colours after the newest frame, in km470::Indicator's order.
  std::array<COLORREF, km470::kIndicatorCount> lampColours_{};
  double value_ = 0;    // the newest kept value
  std::string readout_; // time and value under the mouse in the whole test

  std::wstring lastSaveName_ = L"*.txt";
  std::wstring lastPictureName_ = L"*.png";
  dynlog::WindowSize firstClient_; // logical; the value display grows beyond it
  bool wholeShown_ = false;
  dynlog::WholeTestView wholeView_;
  double wholeLow_ = -1, wholeHigh_ = 1;
  int dragFrom_ = -1;

  dynlog::ValueDisplayPlace place_;
  base::Brush limitBrush_;
  std::unique_ptr<TestDialog> testDialog_;
  std::unique_ptr<dynlog::SeriesFolder> series_;
  std::unique_ptr<SeriesWindow> seriesWindow_;
  bool seriesSavePending_ = false;
  dynlog::ComparedTests compared_; // what the whole-test view shows
  std::vector<RECT> legendRows_;
  int dragTo_ = -1; // the band of the stretch being chosen
  std::string textLines_[2];
  std::unique_ptr<ConditionsDialog> conditionsDialog_;
  bool conditionsChanged_ = false; // a test began or ended by itself
  // Armed again after a test a condition ended: its peak and verdict stay in view until the
  // next test begins.
  std::optional<float> endedPeak_;
  dynlog::Verdict endedVerdict_;
  // A test a condition ended waits for the question before it is armed again.
  bool rearmQuestion_ = false;
  bool rearmPosted_ = false;
  // Nullen asked a stopped unit for values; it is stopped again when the zero is in.
  bool zeroStream_ = false;
};
