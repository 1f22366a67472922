#pragma once
// The measurement window, the program's main window. Its Start button connects to the unit (the
// first time only) and starts the stream; its 50 ms timer polls the serial channel and handles
// every frame: the six indicators follow each frame, the stream is thinned (and optionally
// averaged) to the rate of the rate dialog, and every kept value is recorded, shown in large
// digits and drawn as the next point of the sweeping force chart.
#include "base/dibsection.h"
#include "base/handles.h"
#include "link/km470protocol.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "window/acquisition.h"
#include "window/csvfile.h"
#include "window/forcechart.h"
#include "window/numberformat.h"
#include "window/samplerate.h"
#include "window/testresults.h"
#include "window/tracecanvas.h"
#include "window/wholetest.h"
#include "window/windowtexts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class Tfkm470b;
class Tfkm470d;

class Tfkm470a : public ui::Form {
  // Declared before the controls, which are created with them.
  base::Font indicatorFont_;
  base::Font valueFont_;
  base::Font arrowFont_;
  base::Font statusFont_;

public:
  Tfkm470a();
  ~Tfkm470a() override;

  // The windows created after this one, which it opens and whose controls it reads.
  void SetCompanions(Tfkm470b* search, ui::Form* about, Tfkm470d* rate);

  // Event handlers.
  void Button1Click();           // Start
  void Button2Click();           // Stop
  void Button4Click();           // info
  void BitBtnEinstellungClick(); // rate dialog
  void BitBtnSpeichernClick();   // save, through the save dialog
  void Timer1Timer();            // the acquisition cycle
  // Saves the recording to path without asking (the save dialog's work once a name is chosen).
  // Nothing happens when nothing is recorded. Throws with the German file error text.
  void SaveRecordingTo(const std::string& utf8Path);
  // A person is at the window: a stopped recording that has not been saved is not dropped by
  // Start or by closing without a question. The runs without a person save through
  // SaveRecordingTo and turn this off.
  bool AskBeforeDiscarding = true;
  // One decoded frame: indicators, then decimation, recording and display of its value.
  void HandleFrame(const km470::MeasurementFrame& frame);
  // The value display and the chart for one emitted value.
  void ShowValue(double value);
  // Renders the client area (the chart and every control) into a 24-bit BMP file.
  void SaveScreenshot(const std::string& utf8Path);

  bool FirstStart = true;
  int DecimalPlaces = 0;
  dynlog::Acquisition Acquisition;
  dynlog::ForceChart Chart;
  km470::FrameDecoder Decoder;
  // Frames decoded since the window was made; a watcher of the line tells silence by it.
  std::uint64_t FrameCount = 0;
  // Called with each value as it is recorded (single precision), kept or not: a stream to disk
  // takes every value from here, beyond the recording's 10000.
  std::function<void(float)> ValueRecorded;

  ui::Button BitBtnEinstellung;
  ui::Button Button1;
  ui::Button Button2;
  ui::Button BitBtnSpeichern;
  ui::Button Button4;
  ui::Label Label4;      // Grenzwert 1
  ui::Label Label5;      // Grenzwert 2
  ui::Label Label6;      // Brutto
  ui::Label Label7;      // Netto
  ui::Label Label8;      // Unter- Überlast
  ui::Label Label9;      // T-Eingang
  ui::Label Label1;      // value display
  ui::Label Label3;      // axis name "F"
  ui::Label Label2;      // arrow beside it
  ui::Label LabelStatus; // port, unit, rate, state and the recording, in the lowest line
  ui::Timer Timer1;
  // After Stop: the whole test, or the sweep as it was.
  ui::Button ButtonWholeTest;

  // The results of the recording so far, kept as its values come.
  dynlog::TestResults Results;
  // How results and CSV files give times and figures: the rate kept, the unit's decimals.
  dynlog::ResultsFormat ReportFormat() const;
  // The CSV head of the recording: its start, the rate kept, the unit and the port.
  dynlog::CsvHead CsvHeadOfRecording() const;
  bool WholeTestShown() const { return wholeShown_; }
  const dynlog::WholeTestView& WholeView() const { return wholeView_; }
  void ButtonWholeTestClick();

  // The indicator for each km470::Indicator, in that enum's order.
  ui::Label& IndicatorLabel(km470::Indicator which);

protected:
  bool FormCloseQuery() override;
  void FormClose() override;
  void FormResize() override;
  void FormPaint(HDC dc, const RECT& area) override;
  void FormMouseMove(int x, int y) override;
  void FormMouseDown(int x, int y) override;
  void FormMouseUp(int x, int y) override;
  void FormDoubleClick(int x, int y) override;
  void FormEscape() override;

private:
  void ApplyIndicators(std::uint8_t status);
  void ShowIndicators();
  void UpdateValueDisplay();
  void RepaintDirty();
  void EnsureTraceBitmap(int width, int height);
  void PaintShapes(HDC dc);
  // Asks before Start or closing drops an unsaved recording; true when it may be dropped.
  bool MayDropRecording(bool closing);
  // The save dialog, then the file; a failure is shown. True when the file was written.
  bool SaveWithDialog();
  void RecordingStarted();
  void ShowStatus();
  void PlaceStatusLine();
  void SizeValueDisplay();
  // Reading a test: scales, results line, the whole test and its zoom.
  void StartTestView();
  void StopTestView();
  void NoteRecordedValues();
  void RedrawChart();
  // Draws what changed of the scales and text lines into the off-screen bitmap; returns where.
  dynlog::PixelBox PaintReadings();
  void ShowWholeTest();
  int ColumnAt(int x) const; // -1 outside the chart
  void SaveCsvTo(const std::string& utf8Path);

  Tfkm470b* search_ = nullptr;
  ui::Form* about_ = nullptr;
  Tfkm470d* rate_ = nullptr;

  base::Icon buttonPictures_[2];
  // The trace lives in an off-screen bitmap, so a repaint shows it again instead of wiping it.
  // Its pixels are drawn by the canvas, straight into the bitmap's memory.
  base::MemoryBitmap trace_;
  dynlog::TraceCanvas canvas_;
  std::uint32_t tracePixel_ = 0;
  std::uint32_t paperPixel_ = 0; // the window's background, which wipes the trace
  bool valueShown_ = false;
  // The lamps' colours after the newest frame, in km470::Indicator's order; shown once per tick.
  std::array<COLORREF, km470::kIndicatorCount> lampColours_{};
  dynlog::NumberSeparators separators_;
  std::string caption_;      // the newest value's caption
  std::string shownCaption_; // what Label1 shows
  bool captionPending_ = false;
  bool inTick_ = false;
  // The rate dialog's settings and the port's baud rate, read once at the start of a tick:
  // nothing can change them while the tick's frames are handled.
  struct FrameSettings {
    dynlog::SampleRate rate;
    bool averaging;
    bool baud9600; // the unit sends half as many frames
  };
  FrameSettings CurrentFrameSettings() const;
  std::optional<FrameSettings> tickSettings_;
  int ticksSincePaint_ = 0;
  int paintsSinceStatus_ = 0;
  std::wstring lastSaveName_ = L"*.txt";
  dynlog::MeasuringState state_ = dynlog::MeasuringState::Idle;
  int savedCount_ = 0; // values of the recording in its last saved file
  // The setting the recording was taken at, for the file's head: the rate really kept at the
  // port's baud rate, not what the dialog may say by the time it is saved.
  std::optional<std::pair<dynlog::SampleRate, bool>> recordedSetting_;
  // The rate really kept and the averaging of the recording, as taken at its Start; before any
  // Start, the dialog's setting at the port's baud rate.
  std::pair<dynlog::SampleRate, bool> RecordingSetting() const;
  std::string unitText_;
  std::string statusText_;

  struct ScaleState {
    double low = 0, high = 0, from = 0, to = 0, rate = 0;
    dynlog::ChartAxes axes;
    int decimals = -1;
    friend bool operator==(const ScaleState&, const ScaleState&) = default;
  };
  base::Font scaleFont_;
  base::Brush paperBrush_;
  ScaleState scaleShown_;
  std::string resultsShown_, readout_, readoutShown_;
  unsigned long long resultsPaintedMs_ = 0;
  double keptRate_ = 320; // values per second of RecordingSetting(), for every paint
  dynlog::LocalTime recordingStart_;
  bool wholeShown_ = false;
  dynlog::WholeTestView wholeView_;
  double wholeLow_ = -1, wholeHigh_ = 1;
  int dragFrom_ = -1;
};
