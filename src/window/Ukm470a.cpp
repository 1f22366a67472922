#include "window/Ukm470a.h"

#include "base/dibsection.h"
#include "base/errorbox.h"
#include "base/fileerror.h"
#include "base/handles.h"
#include "base/text.h"
#include "link/Ukm470b.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "ui/questionbox.h"
#include "ui/screenshot.h"
#include "window/buttonpictures.h"
#include "window/chartpaint.h"
#include "window/chartscale.h"
#include "window/csvfilewriter.h"
#include "window/localeformat.h"
#include "window/measurementfilewriter.h"
#include "window/samplerate.h"
#include "window/ukm470d.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {

constexpr COLORREF kLit = RGB(0, 255, 0);
constexpr COLORREF kDark = RGB(128, 128, 0);
constexpr COLORREF kTraceColour = RGB(0, 0, 255);
constexpr COLORREF kValueGrey = RGB(128, 128, 128);
constexpr COLORREF kValueWhite = RGB(255, 255, 255);
// Live values stand white on a black panel, as on the unit's own display: white on the window's
// button face (240 or 245 grey) could hardly be read, and the panel does not depend on the
// system's colour scheme.
constexpr COLORREF kValuePanel = RGB(0, 0, 0);
constexpr int kTicksPerPaint = 2;
constexpr int kPaintsPerStatus = 5; // the count in the status line follows twice a second
constexpr COLORREF kStatusText = RGB(64, 64, 64);
constexpr COLORREF kStatusWarning = RGB(176, 0, 0);
constexpr int kStatusHeight = 16;
constexpr int kValueRight = 366 + 67; // the value display's right edge stays in place
constexpr ULONGLONG kResultsIntervalMs = 500;

ui::FormStyle MainStyle() {
  ui::FormStyle s;
  s.caption = "KM470/PT615 Signal";
  s.width = 450;
  s.height = 340;
  // Nothing is cut at this size: the top row of buttons, the value display, the chart and the two
  // lines of text below it.
  s.minWidth = 450;
  s.minHeight = 340;
  s.sizeable = true;
  s.minMaxBoxes = true;
  s.fontFace = L"System";
  s.fontHeight = 13;
  s.ownDc = true; // the chart and its axes are drawn ten times a second
  return s;
}

ui::LabelStyle IndicatorStyle(HFONT font, ui::LabelStyle::Align align = ui::LabelStyle::Left) {
  ui::LabelStyle s;
  s.font = font;
  s.background = kDark;
  s.align = align;
  return s;
}

// The upward arrow beside the axis name is character 0xAD of the "Symbol" font. Where that font
// is missing (Wine has none) the same arrow comes from Unicode in Arial.
bool HasSymbolFont() {
  base::Font font = ui::MakeFont(L"Symbol", 13, false, SYMBOL_CHARSET);
  const base::WindowDc dc(nullptr);
  wchar_t face[LF_FACESIZE] = {};
  {
    base::SelectObjectScope select(dc.get(), font.get());
    GetTextFaceW(dc.get(), LF_FACESIZE, face);
  }
  return lstrcmpiW(face, L"Symbol") == 0;
}

base::Font ArrowFont() {
  return HasSymbolFont() ? ui::MakeFont(L"Symbol", 13, false, SYMBOL_CHARSET)
                         : ui::MakeFont(L"Arial", 13);
}

std::uint32_t PixelOf(COLORREF colour) {
  return dynlog::RgbPixel(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

const char* ArrowText(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof(lf), &lf);
  return lf.lfCharSet == SYMBOL_CHARSET ? "\xEF\x82\xAD" /* U+F0AD */ : "\xE2\x86\x91" /* U+2191 */;
}

} // namespace

Tfkm470a::Tfkm470a()
    : ui::Form(MainStyle()), indicatorFont_(ui::MakeFont(L"Arial", 11, true)),
      valueFont_(ui::MakeFont(L"Arial", 48, true)), arrowFont_(ArrowFont()),
      statusFont_(ui::MakeFont(L"Arial", 11)),
      BitBtnEinstellung(*this, 0, 0, 105, 25, "Einstellung", [this] { BitBtnEinstellungClick(); }),
      Button1(*this, 105, 0, 49, 25, "Start", [this] { Button1Click(); }),
      Button2(*this, 154, 0, 49, 25, "Stop", [this] { Button2Click(); }),
      BitBtnSpeichern(*this, 203, 0, 98, 25, "Speichern", [this] { BitBtnSpeichernClick(); }),
      Button4(*this, 302, 0, 49, 25, "info", [this] { Button4Click(); }),
      Label4(*this, 2, 28, 80, 14, "  Grenzwert 1  ", IndicatorStyle(indicatorFont_.get())),
      Label5(*this, 88, 28, 80, 14, "  Grenzwert 2  ", IndicatorStyle(indicatorFont_.get())),
      Label6(*this, 174, 28, 40, 14, " Brutto ",
             IndicatorStyle(indicatorFont_.get(), ui::LabelStyle::Center)),
      Label7(*this, 174, 44, 35, 14, " Netto ",
             IndicatorStyle(indicatorFont_.get(), ui::LabelStyle::Center)),
      Label8(*this, 2, 46, 95, 14, "  Unter- Überlast  ", IndicatorStyle(indicatorFont_.get())),
      Label9(*this, 102, 46, 66, 14, "  T-Eingang  ", IndicatorStyle(indicatorFont_.get())),
      Label1(*this, 366, 32, 67, 56, "0,0",
             {.align = ui::LabelStyle::Right, .font = valueFont_.get(), .textColour = kValueGrey}),
      Label3(*this, 2, 80, 8, 16, "F"),
      Label2(*this, 11, 81, 8, 16, ArrowText(arrowFont_.get()), {.font = arrowFont_.get()}),
      LabelStatus(*this, 0, 0, 0, kStatusHeight, "",
                  {.font = statusFont_.get(), .textColour = kStatusText, .ellipsis = true}),
      Timer1(*this, 50, [this] { Timer1Timer(); }),
      ButtonWholeTest(*this, 352, 0, 84, 25, "Ganzer Test", [this] { ButtonWholeTestClick(); }) {
  MakeMainForm();
  BitBtnSpeichern.SetEnabled(false);
  buttonPictures_[0] = MakeSettingsPicture();
  buttonPictures_[1] = MakeSavePicture();
  BitBtnEinstellung.SetImage(buttonPictures_[0].get());
  BitBtnSpeichern.SetImage(buttonPictures_[1].get());
  Button1.SetHint("KM470-Daten anfordern");
  Button2.SetHint("KM470-Übertragung beenden");
  Label4.SetHint("leuchtet wenn Grenzwert 1 überschritten");
  Label5.SetHint("leuchtet wenn Grenzwert 2 überschritten");
  Label6.SetHint("leuchtet wenn Bruttowert angezeigt wird");
  Label7.SetHint("leuchtet wenn Nettowert angezeigt wird");
  Label8.SetHint("leuchtet wenn die eingestellten Über- oder Unterlastgrenzen überschritten sind");
  Label9.SetHint("leuchtet wenn Triggereingang HIGH (>12Volt)");
  lampColours_.fill(kDark);
  separators_ = dynlog::SystemNumberSeparators();
  SizeValueDisplay();
  tracePixel_ = PixelOf(kTraceColour);
  paperPixel_ = PixelOf(Background());
  ButtonWholeTest.SetEnabled(false);
  ButtonWholeTest.SetHint("Nach Stop den ganzen Test von Start bis Stop zeigen. Im Diagramm ziehen "
                          "vergrößert einen Zeitbereich, Doppelklick oder Esc zeigt wieder alles.");
  scaleFont_ = ui::MakeFont(L"Arial", 12);
  paperBrush_.reset(CreateSolidBrush(Background()));
  FormResize();
}

Tfkm470a::~Tfkm470a() = default;

void Tfkm470a::SetCompanions(Tfkm470b* search, ui::Form* about, Tfkm470d* rate) {
  search_ = search;
  about_ = about;
  rate_ = rate;
  ShowStatus();
  keptRate_ = dynlog::RatePerSecond(RecordingSetting().first);
}

ui::Label& Tfkm470a::IndicatorLabel(km470::Indicator which) {
  switch (which) {
  case km470::Indicator::Limit1:
    return Label4;
  case km470::Indicator::Limit2:
    return Label5;
  case km470::Indicator::Gross:
    return Label6;
  case km470::Indicator::Net:
    return Label7;
  case km470::Indicator::Overload:
    return Label8;
  case km470::Indicator::Trigger:
    break;
  }
  return Label9;
}

// ---- Buttons

void Tfkm470a::Button1Click() {
  if (!MayDropRecording(false))
    return;
  BitBtnSpeichern.SetEnabled(false);
  BitBtnEinstellung.SetEnabled(false);
  Acquisition.StartRecording();
  if (FirstStart) {
    if (search_->ConnectOnFirstStart() != SearchOutcome::Found) {
      // No unit: the window goes back to idle, says so, and the next Start searches again.
      ucom::ComClose();
      BitBtnEinstellung.SetEnabled(true);
      SetWindowTextW(Handle(), L"KM470/PT615 Signal \u2013 kein Gerät gefunden");
      return;
    }
    SetWindowTextW(Handle(), L"KM470/PT615 Signal");
    FirstStart = false;
    km470::QueryDecimals(DecimalPlaces);
    SizeValueDisplay();
    Timer1.SetEnabled(true);
  }
  km470::SendStartCommand();
  RecordingStarted();
  StartTestView();
}

void Tfkm470a::Button2Click() {
  km470::SendStopCommand();
  BitBtnSpeichern.SetEnabled(true);
  BitBtnEinstellung.SetEnabled(true);
  // The last value stays, but no longer looks live.
  state_ = dynlog::MeasuringState::Stopped;
  Label1.SetTextColour(kValueGrey);
  ShowStatus();
  StopTestView();
}

void Tfkm470a::Button4Click() {
  about_->ShowModal();
}

void Tfkm470a::BitBtnEinstellungClick() {
  rate_->ShowModal();
  Acquisition.ClearAverage();
  ShowStatus();
}

void Tfkm470a::BitBtnSpeichernClick() {
  if (Acquisition.SampleCount() == 0)
    return;
  SaveWithDialog();
}

void Tfkm470a::SaveRecordingTo(const std::string& utf8Path) {
  if (Acquisition.SampleCount() == 0)
    return;
  if (dynlog::IsCsvName(utf8Path)) {
    SaveCsvTo(utf8Path);
  } else {
    const auto [rate, averaging] = RecordingSetting();
    dynlog::SaveMeasurementFile(utf8Path, rate, averaging, Acquisition.Recording(), DecimalPlaces);
  }
  savedCount_ = Acquisition.SampleCount();
}

// ---- Acquisition

void Tfkm470a::Timer1Timer() {
  if (!Acquisition.BeginTick())
    return;
  // Up to 16 values arrive per tick at 320 a second. The value display is repainted once, with
  // the last of them: the ones before it would be overwritten before the screen shows them.
  bool any = false;
  {
    inTick_ = true;
    tickSettings_ = CurrentFrameSettings();
    const base::ScopeExit endOfFrames{[this] {
      inTick_ = false;
      tickSettings_.reset();
    }};
    any = km470::PollMeasurementFrames(
        Decoder, DecimalPlaces,
        [this](const km470::MeasurementFrame& frame) { HandleFrame(frame); });
  }
  // The screen follows every second tick, ten times a second: as often as digits can be read and
  // a sweeping trace looks smooth, at half the cost of painting. Every value is recorded and
  // drawn into the trace meanwhile.
  if (++ticksSincePaint_ >= kTicksPerPaint) {
    ticksSincePaint_ = 0;
    ShowIndicators();
    UpdateValueDisplay();
    RepaintDirty();
    if (++paintsSinceStatus_ >= kPaintsPerStatus) {
      paintsSinceStatus_ = 0;
      ShowStatus();
    }
  }
  Acquisition.EndTick(any);
}

Tfkm470a::FrameSettings Tfkm470a::CurrentFrameSettings() const {
  return {rate_->Rate(), rate_->Averaging(), ucom::ComBaud() == 9600};
}

void Tfkm470a::HandleFrame(const km470::MeasurementFrame& frame) {
  ++FrameCount;
  ApplyIndicators(frame.Status);
  // The dialog's controls are the setting: read afresh for every frame outside a tick, and once
  // per tick inside one. The unit's frame rate follows the baud rate the port really runs at,
  // whatever km470.ini said.
  const FrameSettings settings = tickSettings_ ? *tickSettings_ : CurrentFrameSettings();
  const int reload =
      Acquisition.SkipCounter() <= 0 ? dynlog::ReloadValue(settings.rate, settings.baud9600) : 0;
  if (auto value = Acquisition.TakeFrameValue(frame.Value, reload, settings.averaging)) {
    if (ValueRecorded)
      ValueRecorded(static_cast<float>(*value));
    ShowValue(*value);
  }
}

void Tfkm470a::ApplyIndicators(std::uint8_t status) {
  const km470::IndicatorChanges changes = km470::IndicatorsFromStatus(status);
  for (int i = 0; i < km470::kIndicatorCount; ++i) {
    if (changes[i] == km470::IndicatorChange::Keep)
      continue;
    lampColours_[static_cast<size_t>(i)] = changes[i] == km470::IndicatorChange::Lit ? kLit : kDark;
  }
  if (!inTick_)
    ShowIndicators();
}

void Tfkm470a::ShowIndicators() {
  // Up to 16 frames arrive per tick and each may switch a lamp: the lamps take the state of the
  // last of them, once per tick, as the screen could not show the ones before it anyway.
  for (int i = 0; i < km470::kIndicatorCount; ++i)
    IndicatorLabel(static_cast<km470::Indicator>(i))
        .SetBackground(lampColours_[static_cast<size_t>(i)]);
}

// ---- Value display and chart

void Tfkm470a::ShowValue(double value) {
  // The range first: Chart.ShowValue widens it before placing the point.
  const dynlog::ChartDrawing drawing = Chart.ShowValue(value);
  dynlog::FormatValueCaption(caption_, value, DecimalPlaces, separators_);
  captionPending_ = true;
  NoteRecordedValues();
  if (!inTick_)
    UpdateValueDisplay();
  if (wholeShown_)
    return; // the sweep goes on behind the whole test
  if (drawing.wipe)
    canvas_.DrawSegment(*drawing.wipe, paperPixel_);
  if (drawing.trace)
    canvas_.DrawSegment(*drawing.trace, tracePixel_);
  if (!inTick_)
    RepaintDirty();
}

void Tfkm470a::UpdateValueDisplay() {
  if (!captionPending_)
    return;
  captionPending_ = false;
  if (!valueShown_) {
    Label1.SetBackground(kValuePanel);
    valueShown_ = true;
  }
  // Values still on their way after Stop are shown, but grey: nothing is measured any more.
  Label1.SetTextColour(state_ == dynlog::MeasuringState::Stopped ? kValueGrey : kValueWhite);
  if (caption_ != shownCaption_) {
    Label1.SetText(caption_);
    shownCaption_ = caption_;
  }
}

void Tfkm470a::RepaintDirty() {
  // One box per tick rather than one per segment, drawn straight onto the window as the trace
  // always was: an invalidation would add a paint message and its update region every tick.
  // The text lines and scales go separately: one box around them and the trace would span the
  // whole chart each tick.
  const dynlog::PixelBox readings = PaintReadings();
  const dynlog::PixelBox drawn = canvas_.TakeDrawn();
  if (!IsWindowVisible(Handle()) || IsIconic(Handle()))
    return;
  const base::WindowDc dc(Handle());
  for (const dynlog::PixelBox& p : {drawn, readings}) {
    if (p.Empty())
      continue;
    const RECT box{p.left, p.top, p.right, p.bottom};
    const int saved = SaveDC(dc.get());
    IntersectClipRect(dc.get(), box.left, box.top, box.right, box.bottom);
    FormPaint(dc.get(), box);
    RestoreDC(dc.get(), saved);
  }
}

void Tfkm470a::EnsureTraceBitmap(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (trace_ && width <= canvas_.Width() && height <= canvas_.Height())
    return;
  const int w = std::max(width, canvas_.Width()), h = std::max(height, canvas_.Height());
  // 32 bits a pixel, top row first: the canvas's own layout.
  base::MemoryBitmap bitmap(w, h);
  if (!bitmap)
    return; // the trace stays as large as it was
  dynlog::TraceCanvas canvas;
  canvas.Attach(static_cast<std::uint32_t*>(bitmap.pixels()), w, h);
  canvas.Fill(paperPixel_);
  // A larger window keeps the trace drawn so far.
  canvas.CopyFrom(canvas_);
  canvas.TakeDrawn(); // the whole window is repainted after a resize
  trace_ = std::move(bitmap);
  canvas_ = canvas;
}

void Tfkm470a::FormResize() {
  RECT client;
  GetClientRect(Handle(), &client);
  Chart.FitToClient(client.right, client.bottom);
  EnsureTraceBitmap(client.right, client.bottom);
  PlaceStatusLine();
  RedrawChart();
  PaintReadings(); // the whole window is painted next
  InvalidateRect(Handle(), nullptr, FALSE);
}

void Tfkm470a::PaintShapes(HDC dc) {
  // The two axes: black 1-pixel outline, white fill, 2 pixels across, so a black line.
  const dynlog::ChartAxes& a = Chart.Axes();
  const RECT shapes[] = {
      {a.shape1Left, a.shape1Top, a.shape1Left + dynlog::ChartAxes::kShape1Width,
       a.shape1Top + a.shape1Height},
      {a.shape2Left, a.shape2Top, a.shape2Left + a.shape2Width,
       a.shape2Top + dynlog::ChartAxes::kShape2Height},
  };
  for (const RECT& r : shapes) {
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
}

void Tfkm470a::FormPaint(HDC dc, const RECT& area) {
  if (trace_)
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, trace_.dc(),
           area.left, area.top, SRCCOPY);
  PaintShapes(dc);
}

// ---- Reading a test: scales, results, the whole test after Stop, CSV

void Tfkm470a::StartTestView() {
  Results.Clear();
  recordingStart_ = dynlog::LocalTimeNow();
  readout_.clear();
  ButtonWholeTest.SetEnabled(false);
  if (wholeShown_) {
    wholeShown_ = false;
    ButtonWholeTest.SetText("Ganzer Test");
    RedrawChart();
    RepaintDirty();
  }
}

void Tfkm470a::StopTestView() {
  ButtonWholeTest.SetEnabled(true);
  resultsPaintedMs_ = 0; // the next paint shows the figures at Stop
}

void Tfkm470a::NoteRecordedValues() {
  const auto recording = Acquisition.Recording();
  if (recording.size() < Results.Count())
    Results.Clear(); // a new recording
  while (Results.Count() < recording.size())
    Results.Add(recording[Results.Count()]);
}

dynlog::ResultsFormat Tfkm470a::ReportFormat() const {
  return {keptRate_, DecimalPlaces, {separators_.decimal, ""}};
}

dynlog::CsvHead Tfkm470a::CsvHeadOfRecording() const {
  return {recordingStart_,          keptRate_,          RecordingSetting().second, DecimalPlaces,
          km470::InstrumentReply(), ucom::ComPortName()};
}

void Tfkm470a::SaveCsvTo(const std::string& utf8Path) {
  dynlog::SaveCsvFile(utf8Path, CsvHeadOfRecording(), Acquisition.Recording());
}

void Tfkm470a::ButtonWholeTestClick() {
  if (!wholeShown_ && Acquisition.SampleCount() == 0)
    return;
  wholeShown_ = !wholeShown_;
  wholeView_.ShowAll(Acquisition.SampleCount());
  readout_.clear();
  ButtonWholeTest.SetText(wholeShown_ ? "Letzte Werte" : "Ganzer Test");
  RedrawChart();
  RepaintDirty();
}

void Tfkm470a::RedrawChart() {
  // Everything afresh at the current size: the trace, then the scales and lines with the next
  // paint.
  canvas_.Fill(paperPixel_);
  scaleShown_ = {};
  resultsShown_.assign(1, '\n');
  readoutShown_.assign(1, '\n');
  if (wholeShown_) {
    ShowWholeTest();
    return;
  }
  for (const dynlog::ChartSegment& segment : Chart.HeldSegments())
    canvas_.DrawSegment(segment, tracePixel_);
}

void Tfkm470a::ShowWholeTest() {
  const dynlog::ChartAxes& a = Chart.Axes();
  const auto recording = Acquisition.Recording();
  const std::size_t to = std::min(wholeView_.To(), recording.size());
  const std::size_t from = std::min(wholeView_.From(), to);
  // One pass over the values shown.
  const auto columns = dynlog::FitColumns(recording.subspan(from, to - from), a.shape2Width);
  std::tie(wholeLow_, wholeHigh_) = dynlog::ColumnRange(columns);
  const auto box = Chart.TraceBox();
  canvas_.FillBox({box.left + 2, box.top, box.right + 2, box.bottom}, paperPixel_);
  dynlog::DrawColumns(canvas_, a, columns, wholeLow_, wholeHigh_, tracePixel_);
}

int Tfkm470a::ColumnAt(int x) const {
  const int column = x - (Chart.Axes().shape2Left + 2);
  return column >= 0 && column < Chart.Axes().shape2Width ? column : -1;
}

dynlog::PixelBox Tfkm470a::PaintReadings() {
  dynlog::PixelBox painted;
  if (!trace_)
    return painted;
  RECT client;
  GetClientRect(Handle(), &client);
  const dynlog::ScalePaint p{trace_.dc(), scaleFont_.get(), paperBrush_.get(), separators_};
  const auto touch = [&painted](const RECT& r) {
    painted = painted.Empty() ? dynlog::PixelBox{r.left, r.top, r.right, r.bottom}
                              : dynlog::PixelBox{std::min<int>(painted.left, r.left),
                                                 std::min<int>(painted.top, r.top),
                                                 std::max<int>(painted.right, r.right),
                                                 std::max<int>(painted.bottom, r.bottom)};
  };
  ScaleState now{Chart.RangeMin(), Chart.RangeMax(), -1,           -1,
                 keptRate_,        Chart.Axes(),     DecimalPlaces};
  if (wholeShown_)
    now = {wholeLow_,
           wholeHigh_,
           static_cast<double>(wholeView_.From()) / keptRate_,
           static_cast<double>(std::max<std::size_t>(wholeView_.To(), 1) - 1) / keptRate_,
           keptRate_,
           Chart.Axes(),
           DecimalPlaces};
  if (!(now == scaleShown_)) {
    touch(dynlog::PaintForceScale(p, now.axes, now.low, now.high, DecimalPlaces));
    touch(dynlog::PaintTimeScale(p, now.axes, client.right, now.from, now.to, keptRate_));
    scaleShown_ = now;
  }
  // Text costs more to draw than the trace: while values flow, the results line follows twice a
  // second; the paints between leave it as it is.
  const ULONGLONG clock = GetTickCount64();
  std::string results;
  if (clock - resultsPaintedMs_ >= kResultsIntervalMs || resultsShown_ == "\n")
    results = dynlog::ResultsLine(Results, {keptRate_, DecimalPlaces, separators_});
  else
    results = resultsShown_;
  if (results != resultsShown_) {
    resultsPaintedMs_ = clock;
    const RECT line{0, client.bottom - dynlog::ForceChart::kTextLinesHeight, client.right,
                    client.bottom - dynlog::ForceChart::kTextLinesHeight / 2};
    dynlog::PaintTextLine(p, line, results);
    touch(line);
    resultsShown_ = std::move(results);
  }
  if (readout_ != readoutShown_) {
    // Between the axis name and the value display, above the chart.
    const RECT line{24, 78, 260, 94};
    dynlog::PaintTextLine(p, line, readout_);
    touch(line);
    readoutShown_ = readout_;
  }
  if (!painted.Empty())
    GdiFlush(); // before the canvas writes into the same memory again
  return painted;
}

void Tfkm470a::FormMouseMove(int x, int y) {
  if (!wholeShown_)
    return;
  const auto box = Chart.TraceBox();
  const int column = ColumnAt(x);
  const auto recording = Acquisition.Recording();
  std::string text;
  if (column >= 0 && y >= box.top && y < box.bottom + 4 && wholeView_.To() > wholeView_.From() &&
      wholeView_.To() <= recording.size()) {
    const std::size_t i = wholeView_.ValueAt(column, Chart.Axes().shape2Width);
    text = "t = ";
    dynlog::AppendSeconds(text, static_cast<double>(i) / keptRate_, dynlog::TimeDecimals(keptRate_),
                          separators_);
    text += " s   F = ";
    dynlog::AppendNumber(text, recording[i], DecimalPlaces, dynlog::kFileSignificantDigits,
                         separators_);
  }
  if (text != readout_) {
    readout_ = std::move(text);
    RepaintDirty();
  }
}

void Tfkm470a::FormMouseDown(int x, int) {
  dragFrom_ = wholeShown_ && ColumnAt(x) >= 0 ? x : -1;
}

void Tfkm470a::FormMouseUp(int x, int) {
  const int from = dragFrom_;
  dragFrom_ = -1;
  if (from < 0 || std::abs(x - from) < 3)
    return;
  const int width = Chart.Axes().shape2Width;
  const auto clampColumn = [&](int at) {
    return std::clamp(at - (Chart.Axes().shape2Left + 2), 0, width - 1);
  };
  if (wholeView_.ZoomToColumns(clampColumn(from), clampColumn(x), width)) {
    RedrawChart();
    RepaintDirty();
  }
}

void Tfkm470a::FormDoubleClick(int, int) {
  FormEscape();
}

void Tfkm470a::FormEscape() {
  if (!wholeShown_ || !wholeView_.Zoomed(Acquisition.SampleCount()))
    return;
  wholeView_.ShowAll(Acquisition.SampleCount());
  RedrawChart();
  RepaintDirty();
}

void Tfkm470a::SaveScreenshot(const std::string& utf8Path) {
  ui::SaveWindowBitmap(Handle(), utf8Path);
}

bool Tfkm470a::FormCloseQuery() {
  return MayDropRecording(true);
}

void Tfkm470a::FormClose() {
  Timer1.SetEnabled(false);
  km470::CloseInstrumentLink();
}

// ---- The recording's safety, the status line and the value display's size

bool Tfkm470a::MayDropRecording(bool closing) {
  const int count = Acquisition.SampleCount();
  if (!AskBeforeDiscarding || state_ != dynlog::MeasuringState::Stopped || count <= savedCount_)
    return true;
  const int answer =
      ui::Ask(Handle(), base::ApplicationTitle(),
              dynlog::UnsavedRecordingQuestion(count, closing, separators_),
              {{"&Speichern", IDYES}, {"&Verwerfen", IDNO}, {"Abbrechen", IDCANCEL}});
  if (answer == IDNO)
    return true;
  return answer == IDYES && SaveWithDialog();
}

bool Tfkm470a::SaveWithDialog() {
  wchar_t file[MAX_PATH] = {};
  lastSaveName_.copy(file, MAX_PATH - 1);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = L"Textfile\0*.txt\0CSV (Semikolon)\0*.csv\0alle Dateien\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"TXT";
  // The dialog asks before it replaces a file; a name in a folder that does not exist reaches
  // the file error text.
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&ofn))
    return false;
  lastSaveName_ = file;
  if (ofn.nFilterIndex == 2 && !dynlog::IsCsvName(base::Narrow(file))) {
    // The CSV type chosen, with a name the dialog ended in .TXT or left bare: the file gets .csv,
    // and since the dialog asked about another name, the question about this one is asked here.
    lastSaveName_ =
        lastSaveName_.substr(0, ofn.nFileExtension ? ofn.nFileExtension - 1 : MAX_PATH) + L".csv";
    if (GetFileAttributesW(lastSaveName_.c_str()) != INVALID_FILE_ATTRIBUTES &&
        MessageBoxW(Handle(), (lastSaveName_ + L" ist bereits vorhanden.\nErsetzen?").c_str(),
                    L"Speichern unter", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
      return false;
  }
  const std::string path = base::Narrow(lastSaveName_);
  try {
    SaveRecordingTo(path);
  } catch (const base::FileError& e) {
    base::ShowErrorBox(
        dynlog::SaveFailureText(e.what(), path, Acquisition.SampleCount(), separators_));
    return false;
  }
  return true;
}

std::pair<dynlog::SampleRate, bool> Tfkm470a::RecordingSetting() const {
  if (recordedSetting_)
    return *recordedSetting_;
  return {dynlog::KeptRate(rate_->Rate(), ucom::ComBaud() == 9600), rate_->Averaging()};
}

void Tfkm470a::RecordingStarted() {
  state_ = dynlog::MeasuringState::Running;
  savedCount_ = 0;
  recordedSetting_.reset();
  recordedSetting_ = RecordingSetting();
  keptRate_ = dynlog::RatePerSecond(recordedSetting_->first);
  unitText_ = dynlog::IdentificationText(km470::InstrumentReply());
  ShowStatus();
}

void Tfkm470a::ShowStatus() {
  if (!rate_ || !search_)
    return;
  const bool open = ucom::ComIsOpen();
  const int baud = ucom::ComBaud();
  const dynlog::StatusLine line{
      .state = state_,
      .recorded = Acquisition.SampleCount(),
      .keptRate = dynlog::KeptRate(rate_->Rate(), baud == 9600),
      .averaging = rate_->Averaging(),
      .port = open ? search_->RadioGroup1.ItemIndex() + 1 : 0,
      .baud = baud,
      .unit = open ? std::string_view(unitText_) : std::string_view(),
  };
  std::string text = dynlog::StatusLineText(line, separators_);
  if (text == statusText_)
    return;
  const bool full = state_ != dynlog::MeasuringState::Idle && dynlog::RecordingFull(line.recorded);
  LabelStatus.SetTextColour(full ? kStatusWarning : kStatusText);
  LabelStatus.SetText(text);
  statusText_ = std::move(text);
}

void Tfkm470a::PlaceStatusLine() {
  RECT client;
  GetClientRect(Handle(), &client);
  LabelStatus.SetBounds(0, client.bottom - kStatusHeight, client.right, kStatusHeight);
}

void Tfkm470a::SizeValueDisplay() {
  // As wide as the widest value the unit can send at these decimal places, sign included: the
  // panel holds still while values change, and every digit stays whole.
  const base::WindowDc dc(Label1.Handle());
  base::SelectObjectScope select(dc.get(), valueFont_.get());
  const auto [lowest, highest] = dynlog::ValueDisplayExtremes(DecimalPlaces);
  int width = 0;
  for (const double v : {lowest, highest}) {
    std::string caption(1, ' ');
    dynlog::AppendNumber(caption, v, DecimalPlaces, dynlog::kDisplaySignificantDigits, separators_);
    caption += ' ';
    const std::wstring text = base::Widen(caption);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    width = std::max<int>(width, size.cx);
  }
  const RECT r = Label1.Bounds();
  Label1.SetBounds(kValueRight - width, r.top, width, r.bottom - r.top);
}
