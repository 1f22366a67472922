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
#include "window/savedialog.h"
#include "window/ukm470d.h"

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
constexpr COLORREF kStatusText = RGB(64, 64, 64);
constexpr COLORREF kStatusWarning = RGB(176, 0, 0);
constexpr int kStatusHeight = 16;
constexpr int kValueRight = 366 + 67; // the value display's right edge stays in place

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
      StatusLabel(*this, 0, 0, 0, kStatusHeight, "",
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
  recording_.Propose(SettingForStart());
  ShowStatus();
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
  recording_.Start(SettingForStart(), dynlog::LocalTimeNow());
  readout_.clear();
  ButtonWholeTest.SetEnabled(false);
  ShowWholeTest(false);
  marks_.MarkAll();
  resultsEvery_.Release();
  ShowStatus();
}

void Tfkm470a::Button2Click() {
  km470::SendStopCommand();
  recording_.Stop();
  BitBtnSpeichern.SetEnabled(true);
  BitBtnEinstellung.SetEnabled(true);
  ButtonWholeTest.SetEnabled(true);
  // The last value stays, but no longer looks live; the results line shows the figures at Stop.
  Label1.SetTextColour(kValueGrey);
  marks_.Mark(dynlog::WindowPart::Results);
  resultsEvery_.Release();
  ShowStatus();
  Paint();
}

void Tfkm470a::Button4Click() {
  about_->ShowModal();
}

void Tfkm470a::BitBtnEinstellungClick() {
  rate_->ShowModal();
  recording_.ClearAverage();
  recording_.Propose(SettingForStart());
  marks_.Mark(dynlog::WindowPart::Scales);
  ShowStatus();
  Paint();
}

void Tfkm470a::BitBtnSpeichernClick() {
  if (recording_.SampleCount() == 0)
    return;
  SaveWithDialog();
}

void Tfkm470a::SaveRecordingTo(const std::string& utf8Path) {
  if (recording_.SampleCount() == 0)
    return;
  if (dynlog::IsCsvName(utf8Path)) {
    dynlog::SaveCsvFile(utf8Path, recording_.CsvFileHead(), recording_.Values());
  } else {
    const dynlog::RecordingSetting& s = recording_.Setting();
    dynlog::SaveMeasurementFile(utf8Path, s.KeptRate(), s.averaging, recording_.Values(),
                                s.decimalPlaces);
  }
  recording_.MarkSaved();
}

// ---- Acquisition

dynlog::RecordingSetting Tfkm470a::SettingForStart() const {
  const bool open = ucom::ComIsOpen();
  return {.chosenRate = rate_->Rate(),
          .averaging = rate_->Averaging(),
          .baud = ucom::ComBaud(),
          .decimalPlaces = DecimalPlaces,
          .port = open ? ucom::ComPortName() : std::string(),
          .identification = open ? km470::InstrumentReply() : std::string()};
}

dynlog::FrameSettings Tfkm470a::CurrentFrameSettings() const {
  return {rate_->Rate(), rate_->Averaging(), ucom::ComBaud()};
}

void Tfkm470a::Timer1Timer() {
  if (!recording_.BeginTick())
    return;
  bool any = false;
  {
    tickSettings_ = CurrentFrameSettings();
    const base::ScopeExit endOfFrames{[this] { tickSettings_.reset(); }};
    any = km470::PollMeasurementFrames(
        decoder_, DecimalPlaces,
        [this](const km470::MeasurementFrame& frame) { HandleFrame(frame); });
  }
  // Up to 16 values arrive per tick at 320 a second; every one is recorded and drawn into the
  // trace. The screen follows every second tick, ten times a second: as often as digits can be
  // read and a sweeping trace looks smooth, at half the cost of painting.
  if (paintEvery_.Due(++ticks_))
    Paint();
  recording_.EndTick(any);
}

void Tfkm470a::HandleFrame(const km470::MeasurementFrame& frame) {
  const km470::IndicatorChanges changes = km470::IndicatorsFromStatus(frame.Status);
  for (std::size_t i = 0; i < lampColours_.size(); ++i) {
    if (changes[i] != km470::IndicatorChange::Keep)
      lampColours_[i] = changes[i] == km470::IndicatorChange::Lit ? kLit : kDark;
  }
  marks_.Mark(dynlog::WindowPart::Lamps);
  const auto settings = tickSettings_ ? *tickSettings_ : CurrentFrameSettings();
  if (auto value = recording_.TakeFrame(frame.Value, settings))
    ShowValue(*value);
  else if (!tickSettings_)
    Paint();
}

// ---- Value display and chart

void Tfkm470a::ShowValue(double value) {
  const double low = chart_.RangeMin(), high = chart_.RangeMax();
  // The range first: ShowValue widens it before placing the point.
  const dynlog::ChartDrawing drawing = chart_.ShowValue(value);
  if (chart_.RangeMin() != low || chart_.RangeMax() != high)
    marks_.Mark(dynlog::WindowPart::Scales);
  value_ = value;
  marks_.Mark(dynlog::WindowPart::Value);
  marks_.Mark(dynlog::WindowPart::Results);
  if (!wholeShown_) { // else the sweep goes on behind the whole test
    if (drawing.wipe)
      canvas_.DrawSegment(*drawing.wipe, paperPixel_);
    if (drawing.trace)
      canvas_.DrawSegment(*drawing.trace, tracePixel_);
  }
  if (!tickSettings_)
    Paint();
}

void Tfkm470a::Paint() {
  using dynlog::WindowPart;
  if (marks_.Take(WindowPart::Lamps)) {
    // Up to 16 frames arrive per tick and each may switch a lamp: the lamps take the state of the
    // last of them, as the screen could not show the ones before it anyway.
    for (std::size_t i = 0; i < lampColours_.size(); ++i)
      IndicatorLabel(static_cast<km470::Indicator>(i)).SetBackground(lampColours_[i]);
  }
  if (marks_.Take(WindowPart::Value)) {
    if (!valueShown_) {
      Label1.SetBackground(kValuePanel);
      valueShown_ = true;
    }
    // Values still on their way after Stop are shown, but grey: nothing is measured any more.
    Label1.SetTextColour(recording_.State() == dynlog::MeasuringState::Stopped ? kValueGrey
                                                                               : kValueWhite);
    std::string caption;
    dynlog::FormatValueCaption(caption, value_, DecimalPlaces, separators_);
    Label1.SetText(caption);
  }
  if (statusEvery_.Due(GetTickCount64()))
    ShowStatus();
  // One box for the trace and one for the text, drawn straight onto the window: an invalidation
  // would add a paint message and its update region every tick, and one box around both would
  // span the whole chart.
  const dynlog::PixelBox readings = PaintReadings();
  const dynlog::PixelBox drawn = canvas_.TakeDrawn();
  if (!IsWindowVisible(Handle()) || IsIconic(Handle()))
    return;
  const base::WindowDc dc(Handle());
  for (const dynlog::PixelBox& p : {drawn, readings}) {
    if (p.Empty())
      continue;
    const base::SavedDcState saved(dc.get());
    IntersectClipRect(dc.get(), p.left, p.top, p.right, p.bottom);
    FormPaint(dc.get(), {p.left, p.top, p.right, p.bottom});
  }
}

dynlog::PixelBox Tfkm470a::PaintReadings() {
  using dynlog::WindowPart;
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
  const double rate = recording_.Setting().ValuesPerSecond();
  if (marks_.Take(WindowPart::Scales)) {
    const dynlog::ChartAxes& axes = chart_.Axes();
    if (wholeShown_) {
      touch(dynlog::PaintForceScale(p, axes, wholeLow_, wholeHigh_, DecimalPlaces));
      const double to = static_cast<double>(std::max<std::size_t>(wholeView_.To(), 1) - 1);
      touch(dynlog::PaintTimeScale(p, axes, client.right,
                                   static_cast<double>(wholeView_.From()) / rate, to / rate, rate));
    } else {
      touch(dynlog::PaintForceScale(p, axes, chart_.RangeMin(), chart_.RangeMax(), DecimalPlaces));
      touch(dynlog::PaintTimeScale(p, axes, client.right, -1, -1, rate));
    }
  }
  if (marks_.Marked(WindowPart::Results) && resultsEvery_.Due(GetTickCount64())) {
    marks_.Take(WindowPart::Results);
    const RECT line{0, client.bottom - dynlog::ForceChart::kTextLinesHeight, client.right,
                    client.bottom - dynlog::ForceChart::kTextLinesHeight / 2};
    dynlog::PaintTextLine(
        p, line, dynlog::ResultsLine(recording_.Results(), recording_.Format(separators_)));
    touch(line);
  }
  if (marks_.Take(WindowPart::Readout)) {
    // Between the axis name and the value display, above the chart.
    const RECT line{24, 78, 260, 94};
    dynlog::PaintTextLine(p, line, readout_);
    touch(line);
  }
  if (!painted.Empty())
    GdiFlush(); // before the canvas writes into the same memory again
  return painted;
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
  chart_.FitToClient(client.right, client.bottom);
  EnsureTraceBitmap(client.right, client.bottom);
  PlaceStatusLine();
  RedrawChart();
  PaintReadings(); // the whole window is painted next
  canvas_.TakeDrawn();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void Tfkm470a::PaintShapes(HDC dc) {
  // The two axes: black 1-pixel outline, white fill, 2 pixels across, so a black line.
  const dynlog::ChartAxes& a = chart_.Axes();
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

void Tfkm470a::RedrawChart() {
  canvas_.Fill(paperPixel_);
  marks_.Mark(dynlog::WindowPart::Scales);
  marks_.Mark(dynlog::WindowPart::Results);
  marks_.Mark(dynlog::WindowPart::Readout);
  resultsEvery_.Release();
  if (!wholeShown_) {
    for (const dynlog::ChartSegment& segment : chart_.HeldSegments())
      canvas_.DrawSegment(segment, tracePixel_);
    return;
  }
  // The values shown fitted to the chart's columns, in one pass.
  const dynlog::ChartAxes& a = chart_.Axes();
  const auto values = recording_.Values();
  const std::size_t to = std::min(wholeView_.To(), values.size());
  const std::size_t from = std::min(wholeView_.From(), to);
  const auto columns = dynlog::FitColumns(values.subspan(from, to - from), a.shape2Width);
  std::tie(wholeLow_, wholeHigh_) = dynlog::ColumnRange(columns);
  const auto box = chart_.TraceBox();
  canvas_.FillBox({box.left + 2, box.top, box.right + 2, box.bottom}, paperPixel_);
  dynlog::DrawColumns(canvas_, a, columns, wholeLow_, wholeHigh_, tracePixel_);
}

// ---- The whole test after Stop, read with the mouse

void Tfkm470a::ButtonWholeTestClick() {
  if (wholeShown_ || recording_.SampleCount() > 0)
    ShowWholeTest(!wholeShown_);
}

void Tfkm470a::ShowWholeTest(bool shown) {
  if (shown == wholeShown_)
    return;
  wholeShown_ = shown;
  wholeView_.ShowAll(static_cast<std::size_t>(recording_.SampleCount()));
  readout_.clear();
  ButtonWholeTest.SetText(wholeShown_ ? "Letzte Werte" : "Ganzer Test");
  RedrawChart();
  Paint();
}

int Tfkm470a::ColumnAt(int x) const {
  const int column = x - (chart_.Axes().shape2Left + 2);
  return column >= 0 && column < chart_.Axes().shape2Width ? column : -1;
}

void Tfkm470a::FormMouseMove(int x, int y) {
  if (!wholeShown_)
    return;
  const auto box = chart_.TraceBox();
  const int column = ColumnAt(x);
  const auto values = recording_.Values();
  std::string text;
  if (column >= 0 && y >= box.top && y < box.bottom + 4 && wholeView_.To() > wholeView_.From() &&
      wholeView_.To() <= values.size()) {
    const double rate = recording_.Setting().ValuesPerSecond();
    const std::size_t i = wholeView_.ValueAt(column, chart_.Axes().shape2Width);
    text = "t = ";
    dynlog::AppendSeconds(text, static_cast<double>(i) / rate, dynlog::TimeDecimals(rate),
                          separators_);
    text += " s   F = ";
    dynlog::AppendNumber(text, values[i], DecimalPlaces, dynlog::kFileSignificantDigits,
                         separators_);
  }
  if (text != readout_) {
    readout_ = std::move(text);
    marks_.Mark(dynlog::WindowPart::Readout);
    Paint();
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
  const int width = chart_.Axes().shape2Width;
  const auto clampColumn = [&](int at) {
    return std::clamp(at - (chart_.Axes().shape2Left + 2), 0, width - 1);
  };
  if (wholeView_.ZoomToColumns(clampColumn(from), clampColumn(x), width)) {
    RedrawChart();
    Paint();
  }
}

void Tfkm470a::FormDoubleClick(int, int) {
  FormEscape();
}

void Tfkm470a::FormEscape() {
  const auto count = static_cast<std::size_t>(recording_.SampleCount());
  if (!wholeShown_ || !wholeView_.Zoomed(count))
    return;
  wholeView_.ShowAll(count);
  RedrawChart();
  Paint();
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
  if (!AskBeforeDiscarding || recording_.MayDropWithoutQuestion())
    return true;
  const int answer =
      ui::Ask(Handle(), base::ApplicationTitle(),
              dynlog::UnsavedRecordingQuestion(recording_.SampleCount(), closing, separators_),
              {{"&Speichern", IDYES}, {"&Verwerfen", IDNO}, {"Abbrechen", IDCANCEL}});
  if (answer == IDNO)
    return true;
  return answer == IDYES && SaveWithDialog();
}

bool Tfkm470a::SaveWithDialog() {
  const auto path = dynlog::AskSaveName(Handle(), lastSaveName_);
  if (!path)
    return false;
  try {
    SaveRecordingTo(*path);
  } catch (const base::FileError& e) {
    base::ShowErrorBox(
        dynlog::SaveFailureText(e.what(), *path, recording_.SampleCount(), separators_));
    return false;
  }
  return true;
}

void Tfkm470a::ShowStatus() {
  if (!rate_ || !search_)
    return;
  const dynlog::StatusLine line = recording_.StatusFigures();
  const bool full =
      line.state != dynlog::MeasuringState::Idle && dynlog::RecordingFull(line.recorded);
  StatusLabel.SetTextColour(full ? kStatusWarning : kStatusText);
  StatusLabel.SetText(dynlog::StatusLineText(line, separators_));
}

void Tfkm470a::PlaceStatusLine() {
  RECT client;
  GetClientRect(Handle(), &client);
  StatusLabel.SetBounds(0, client.bottom - kStatusHeight, client.right, kStatusHeight);
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
