#include "window/Ukm470a.h"

#include "base/errorbox.h"
#include "base/localeformat.h"
#include "files/csvfilewriter.h"
#include "link/Ukm470b.h"
#include "link/instrumentlink.h"
#include "link/ucom.h"
#include "ui/screenshot.h"
#include "window/buttonpictures.h"
#include "window/descriptiondialog.h"
#include "window/maincontrols.h"
#include "window/opendialog.h"
#include "window/ukm470d.h"
#include "window/windowfonts.h"

#include <shellapi.h>

#include <algorithm>

namespace {

using namespace dynlog::mainwindow;
// Ticks without a byte after Stop before the test is saved into its series: the line is quiet.
constexpr int kQuietTicks = 4;
// Below the whole test: its results line and a second for the stretch shown or the file's head.
constexpr int kWholeTextLines = 48, kTextLines = 32;

const MainControls& kTable = MainControlTable();

} // namespace

Tfkm470a::Tfkm470a(km470::Settings& settings, ui::RunMode mode)
    : ui::Form(MainStyle()), indicatorFont_(AddFont(L"Arial", 11, true)),
      valueFont_(AddFont(L"Arial", dynlog::kValueFontHeight, true)),
      arrowFont_(AddFont(dynlog::ArrowFont().face, 13, false, dynlog::ArrowFont().charset)),
      statusFont_(AddFont(L"Arial", 11)), unitFont_(AddFont(L"Arial", 19, true)),
      verdictFont_(AddFont(L"Arial", dynlog::kVerdictFontHeight, true)),
      reasonFont_(AddFont(L"Arial", kReasonFontHeight)),
      peakFont_(AddFont(L"Arial", dynlog::kPeakFontHeight, true)),
      BitBtnEinstellung(*this, kTable.einstellung, [this] { BitBtnEinstellungClick(); }),
      Button1(*this, kTable.start, [this] { Button1Click(); }),
      Button2(*this, kTable.stop, [this] { Button2Click(); }),
      BitBtnSpeichern(*this, kTable.speichern, [this] { BitBtnSpeichernClick(); }),
      Button4(*this, kTable.info, [this] { Button4Click(); }),
      Label4(*this, kTable.lamps[0].place, Styled(kTable.lamps[0], indicatorFont_.get())),
      Label5(*this, kTable.lamps[1].place, Styled(kTable.lamps[1], indicatorFont_.get())),
      Label6(*this, kTable.lamps[2].place, Styled(kTable.lamps[2], indicatorFont_.get())),
      Label7(*this, kTable.lamps[3].place, Styled(kTable.lamps[3], indicatorFont_.get())),
      Label8(*this, kTable.lamps[4].place, Styled(kTable.lamps[4], indicatorFont_.get())),
      Label9(*this, kTable.lamps[5].place, Styled(kTable.lamps[5], indicatorFont_.get())),
      Label1(*this, kTable.value.place, Styled(kTable.value, valueFont_.get())),
      Label3(*this, kTable.axisName.place, kTable.axisName.style),
      Label2(*this, 11, 81, 8, 16, dynlog::ArrowText(arrowFont_.get()), {.font = arrowFont_.get()}),
      StatusLabel(*this, kTable.status.place, Styled(kTable.status, statusFont_.get())),
      ConnectionLabel(*this, kTable.connection.place, Styled(kTable.connection, statusFont_.get())),
      Timer1(*this, 50, [this] { Timer1Timer(); }),
      ButtonWholeTest(*this, kTable.wholeTest, [this] { ButtonWholeTestClick(); }),
      ButtonPruefung(*this, kTable.pruefung, [this] { ButtonPruefungClick(); }),
      ButtonReihe(*this, kTable.reihe, [this] { ButtonReiheClick(); }),
      UnitLabel(*this, kTable.unit.place, Styled(kTable.unit, unitFont_.get())),
      VerdictLabel(*this, kTable.verdict.place, Styled(kTable.verdict, verdictFont_.get())),
      ReasonLabel(*this, kTable.reason.place, Styled(kTable.reason, reasonFont_.get())),
      ButtonOeffnen(*this, kTable.oeffnen, [this] { ButtonOeffnenClick(); }),
      ButtonBild(*this, kTable.bild, [this] { ButtonBildClick(); }),
      ButtonBericht(*this, kTable.bericht, [this] { ButtonBerichtClick(); }),
      ButtonBedingungen(*this, kTable.bedingungen, [this] { ButtonBedingungenClick(); }),
      ButtonNullen(*this, kTable.nullen, [this] { ButtonNullenClick(); }),
      ButtonNullAus(*this, kTable.nullAus, [this] { ButtonNullAusClick(); }),
      PeakLabel(*this, kTable.peak.place, Styled(kTable.peak, peakFont_.get())),
      EndLabel(*this, kTable.end.place, Styled(kTable.end, statusFont_.get())), settings_(settings),
      runMode_(mode), scaleFont_(AddFont(L"Arial", 12)) {
  MakeMainForm();
  BitBtnSpeichern.SetEnabled(false);
  ButtonWholeTest.SetEnabled(false);
  MakeButtonPictures();
  separators_ = dynlog::SystemNumberSeparators();
  DragAcceptFiles(Handle(), TRUE);
  for (ui::Button* b : {&ButtonPruefung, &ButtonReihe, &ButtonOeffnen, &ButtonBild, &ButtonBericht,
                        &ButtonBedingungen, &ButtonNullen, &ButtonNullAus})
    b->SetFont(statusFont_.get());
  const SIZE first = LogicalClientSize();
  firstClient_ = {first.cx, first.cy};
  // The test as the person described it last time, and the conditions they set.
  recording_.Describe(dynlog::ReadTestDescription(settings_));
  ShowDescription();
  const dynlog::ConditionSettings conditions = dynlog::ReadConditionSettings(settings_);
  recording_.SetConditions(conditions.conditions);
  recording_.HoldMinimum(conditions.holdMinimum);
  recording_.ZeroBeforeArming(conditions.zeroFirst);
  PeakLabel.OnClick([this] { conditions_.ResetPeak(); });
  conditions_.ShowZero();
}

Tfkm470a::~Tfkm470a() = default;

void Tfkm470a::SetCompanions(Tfkm470b* search, ui::Form* about, Tfkm470d* rate) {
  search_ = search;
  about_ = about;
  rate_ = rate;
  recording_.Propose(SettingForStart());
  ShowStatus();
}

// ---- Buttons

void Tfkm470a::Button1Click() {
  series_.KeepWaiting(); // the values on their way are not waited for any longer
  if (!saver_.MayDrop(false, [this] { Button2Click(); }))
    return;
  zero_.Forget();
  ButtonNullen.SetEnabled(true);
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
  after_.Started();
  recording_.Start(SettingForStart(), dynlog::LocalTimeNow());
  ShowStarted();
}

void Tfkm470a::ShowStarted() {
  ButtonWholeTest.SetEnabled(false);
  ShowWholeTest(false);
  ShowDescription(); // the test's own unit and limits, and no verdict yet
  // The time scale of the new rate and the empty results line, at once.
  marks_.Mark(dynlog::WindowPart::Scales);
  ShowTextsNow(true);
  conditions_.ShowPeak();
}

void Tfkm470a::Button2Click() {
  if (recording_.State() == dynlog::MeasuringState::Idle)
    return; // nothing was started, so nothing changes
  km470::SendStopCommand();
  recording_.Stop();
  // Saving and the whole test need values; values still on their way enable them as they come.
  BitBtnSpeichern.SetEnabled(recording_.SampleCount() > 0);
  BitBtnEinstellung.SetEnabled(true);
  ButtonWholeTest.SetEnabled(recording_.SampleCount() > 0);
  valuePanel_.ShowStopped(); // the results line shows the figures at Stop
  ShowTextsNow(true);
  ShowVerdict();
  conditions_.ShowPeak(); // the recording's own
  // In a series the test is saved by itself, once the values still on their way are in; with
  // no acquisition cycle running none are.
  if (series_.IsOpen())
    Timer1.Enabled() ? after_.KeepOnceQuiet() : series_.Keep();
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
  if (!recording_.BeginTick(GetTickCount64()))
    return;
  bool any = false;
  {
    tickSettings_ = CurrentFrameSettings();
    const base::ScopeExit endOfFrames{[this] { tickSettings_.reset(); }};
    any = km470::PollMeasurementFrames(
        decoder_, DecimalPlaces,
        [this](const km470::MeasurementFrame& frame) { HandleFrame(frame); });
  }
  FollowTest();
  // Up to 16 values arrive per tick at 320 a second; every one is recorded and drawn into the
  // trace. The screen follows every second tick, ten times a second: as often as digits can be
  // read and a sweeping trace looks smooth, at half the cost of painting.
  if (paintEvery_.Due(++ticks_))
    Paint();
  recording_.EndTick(any);
  series_.KeepWaiting(recording_.AcquisitionState().IdleTicks() >= kQuietTicks);
}

void Tfkm470a::HandleFrame(const km470::MeasurementFrame& frame) {
  lamps_.Take(frame.Status);
  marks_.Mark(dynlog::WindowPart::Lamps);
  const auto settings = tickSettings_ ? *tickSettings_ : CurrentFrameSettings();
  const auto value = recording_.TakeFrame(frame.Value, settings, frame.Status);
  if (value && !zero_.Streaming())
    ShowValue(*value);
  else if (!tickSettings_)
    Paint();
  if (!tickSettings_)
    FollowTest();
}

void Tfkm470a::FollowTest() {
  Follow(after_.AfterFrames(dynlog::LocalTimeNow, PersonAtWindow(), [this] { series_.Keep(); }));
  if (after_.PostQuestion())
    Post([this] { AskBeforeRearm(); });
  if (!zero_.Done())
    return;
  ButtonNullen.SetEnabled(true);
  if (const auto refusal = recording_.ZeroRefusal()) // not from inside the tick
    Post([refusal] { base::ShowErrorBox(*refusal); });
  conditions_.ShowZero();
}

void Tfkm470a::AskBeforeRearm() {
  if (after_.AskNow(IsWindowEnabled(Handle())))
    Follow(
        after_.Answered(saver_.MayDrop(false, [this] { Button2Click(); }), dynlog::LocalTimeNow()));
}

void Tfkm470a::Follow(const dynlog::AfterTest::Steps& steps) {
  if (steps.began) { // the test before it leaves the view
    ShowVerdict();
    ShowTextsNow(true);
  }
  if (steps.stop)
    Button2Click(); // the unit stops, Save and the verdict follow
  if (steps.rearmed)
    ShowStarted();
}

// ---- Value display and chart

void Tfkm470a::ShowValue(double value) {
  // The limit lines move with the scale, across the whole chart.
  if (chartArea_.TakeValue(value) && ShownLimits().Any() && !whole_.Shown()) {
    const auto box = chart_.TraceBox();
    const RECT r{box.left, box.top, box.right, box.bottom};
    InvalidateRect(Handle(), &r, FALSE);
  }
  value_ = value;
  marks_.Mark(dynlog::WindowPart::Value);
  marks_.Mark(dynlog::WindowPart::Results);
  if (!tickSettings_)
    Paint();
}

void Tfkm470a::Paint() {
  using dynlog::WindowPart;
  if (marks_.Take(WindowPart::Lamps))
    lamps_.Show();
  if (marks_.Take(WindowPart::Value)) {
    if (recording_.State() == dynlog::MeasuringState::Stopped) {
      BitBtnSpeichern.SetEnabled(true);
      ButtonWholeTest.SetEnabled(true);
    }
    const bool stopped = recording_.State() == dynlog::MeasuringState::Stopped;
    valuePanel_.ShowValue(value_, stopped, DecimalPlaces, separators_);
    if (stopped)
      ShowVerdict(); // a value still on its way may be the maximum
    conditions_.ShowPeak();
  }
  // The results line and the status line at the same moment, so that they count the same.
  const bool texts = textsEvery_.Due(GetTickCount64());
  if (texts)
    ShowStatus();
  chartArea_.ShowChanges(PaintReadings(texts));
}

dynlog::PixelBox Tfkm470a::PaintReadings(bool texts) {
  return chartArea_.PaintReadings(texts, recording_.Setting().ValuesPerSecond(), DecimalPlaces,
                                  Label2.Bounds().right + 4);
}

void Tfkm470a::FormResize() {
  LayOut();
  RECT client;
  GetClientRect(Handle(), &client);
  chartArea_.Fit(client.right, client.bottom);
  textsEvery_.Release();
  PaintReadings(true);
  chartArea_.DropChanges(); // the whole window is painted next
  InvalidateRect(Handle(), nullptr, FALSE);
}

void Tfkm470a::FormPaint(HDC dc, const RECT& area) {
  chartArea_.PaintOnto(dc, area);
}

void Tfkm470a::RedrawChart() {
  chartArea_.Redraw();
  textsEvery_.Release();
}

// ---- The whole test after Stop, read with the mouse

void Tfkm470a::ButtonWholeTestClick() {
  if (whole_.Shown() || recording_.SampleCount() > 0)
    ShowWholeTest(!whole_.Shown());
}

void Tfkm470a::ShowWholeTest(bool shown) {
  if (!whole_.Show(shown))
    return;
  if (!shown)
    ButtonWholeTest.SetEnabled(recording_.State() == dynlog::MeasuringState::Stopped &&
                               recording_.SampleCount() > 0);
  ButtonWholeTest.SetText(shown ? "Letzte Werte" : "Ganzer Test");
  ShowDescription(); // of an opened test, and laid out: the whole test has a second text line
  Paint();
}

void Tfkm470a::Follow(dynlog::ViewChange change) {
  if (change.shown)
    ShowDescription(); // the axis name and the verdict are the new main curve's
  else if (change.trace)
    RedrawChart();
  if (change.readout)
    marks_.Mark(dynlog::WindowPart::Readout);
  if (change)
    Paint();
}

void Tfkm470a::ButtonOeffnenClick() {
  const bool add = GetKeyState(VK_CONTROL) < 0;
  if (recording_.State() != dynlog::MeasuringState::Running)
    OpenTests(dynlog::AskOpenNames(Handle()), add);
}

void Tfkm470a::OpenTests(const std::vector<std::string>& utf8Paths, bool add) {
  if (recording_.State() == dynlog::MeasuringState::Running || !wholePane_.Open(utf8Paths, add))
    return;
  ButtonWholeTest.SetEnabled(true);
  ShowWholeTest(true);
}

void Tfkm470a::ButtonBildClick() {
  // The value display's rows may reach down beside the axis name; they are not the chart's.
  const HWND display[] = {Label1.Handle(), UnitLabel.Handle(), PeakLabel.Handle(),
                          VerdictLabel.Handle(), ReasonLabel.Handle()};
  wholePane_.CopyPicture(Handle(), Px(place_.captionTop), Px(kStatusHeight), display);
}

void Tfkm470a::SaveScreenshot(const std::string& utf8Path) {
  ui::SaveWindowPicture(Handle(), utf8Path);
}

bool Tfkm470a::FormCloseQuery() {
  series_.KeepWaiting();
  return saver_.MayDrop(true, [this] { Button2Click(); });
}

void Tfkm470a::FormClose() {
  Timer1.SetEnabled(false);
  km470::CloseInstrumentLink();
}

// ---- The status line and the value display's size

void Tfkm470a::ShowTextsNow(bool results) {
  if (results)
    marks_.Mark(dynlog::WindowPart::Results);
  textsEvery_.Release();
  ShowStatus();
}

void Tfkm470a::ShowStatus() {
  if (rate_ && search_ && statusLines_.Show(recording_.StatusFigures(), separators_))
    FormResize(); // the chart gives up the end's row, or takes it back
}

void Tfkm470a::SizeValueDisplay() {
  // Beside the buttons below the lamps the panel takes the room up to them.
  const int room =
      place_.right - std::max(ButtonBild.Bounds().right, ButtonBericht.Bounds().right) - 4;
  valuePanel_.Place(place_, room, dynlog::UnitSymbol(recording_.Description().unit), DecimalPlaces,
                    separators_);
}

void Tfkm470a::MakeButtonPictures() {
  // The buttons take the new pictures before the old ones go.
  base::Icon settings = MakeSettingsPicture(Dpi()), save = MakeSavePicture(Dpi());
  BitBtnEinstellung.SetImage(settings.get());
  BitBtnSpeichern.SetImage(save.get());
  buttonPictures_[0] = std::move(settings);
  buttonPictures_[1] = std::move(save);
}

void Tfkm470a::FormDpiChanged() {
  MakeButtonPictures();
}

void Tfkm470a::LayOut() {
  const SIZE client = LogicalClientSize();
  // The whole-test view keeps the row while any test it shows has limits, so that the chart stays
  // where it is when another becomes the reference.
  const bool verdictRow = recording_.Description().limits.Any() ||
                          recording_.NextDescription().limits.Any() || whole_.AnyLimits();
  const dynlog::ValueDisplayPlace place =
      dynlog::PlaceValueDisplay({client.cx, client.cy}, firstClient_, verdictRow, true);
  place_ = place;
  SizeValueDisplay(); // with the verdict's row
  SetFontHeight(peakFont_, place.peakFontHeight);
  const int axisName =
      std::max(8, LogicalUp(dynlog::TextWidth(Label3.Handle(), FormFont(), Label3.Text())) + 1);
  Label3.SetBounds(2, place.captionTop, axisName, 16);
  Label2.SetBounds(std::max(11, 3 + axisName), place.captionTop + 1, 8, 16);
  RECT pixels;
  GetClientRect(Handle(), &pixels);
  chart_.FitToClient(
      pixels.right, pixels.bottom,
      {Px(place.chartTop), Px(52), Px(14), Px(16),
       Px((whole_.Shown() ? kWholeTextLines : kTextLines) + statusLines_.EndRowHeight())});
  statusLines_.Place();
}

// ---- The test's description, its limits and verdict

void Tfkm470a::ButtonPruefungClick() {
  if (!testDialog_)
    testDialog_ = std::make_unique<TestDialog>(Handle());
  auto description = testDialog_->Ask(recording_.NextDescription());
  // A part the open series cannot name a file after is asked again, before it is measured.
  for (std::optional<std::string> refusal;
       description && series_.IsOpen() &&
       (refusal = series_.Folder()->PartRefusal(description->trace.part));
       description = testDialog_->Ask(*description))
    base::ShowErrorBox(*refusal);
  if (description)
    DescribeTest(*description);
}

void Tfkm470a::DescribeTest(const dynlog::TestDescription& description) {
  recording_.Describe(description);
  if (PersonAtWindow()) // a run without a person leaves km470.ini's test keys alone
    dynlog::WriteTestDescription(settings_, recording_.NextDescription());
  ShowDescription();
  series_.ShowTable(); // Cpk follows the limits
}

void Tfkm470a::ShowDescription() {
  const dynlog::OpenedTest* file = whole_.ShownFile();
  Label3.SetText(dynlog::AxisName(file ? file->head.test.unit : recording_.Description().unit));
  IncludeLimitsInChart();
  conditions_.ShowPeak(); // it names the unit too
  ShowVerdict();
  FormResize(); // the unit beside the digits and the verdict's row change the layout
}

void Tfkm470a::IncludeLimitsInChart() {
  for (const auto& limit : {ShownLimits().lower, ShownLimits().upper})
    if (limit)
      chart_.Include(*limit);
}

void Tfkm470a::ShowVerdict() {
  const auto shown = whole_.Judged(after_.ShownVerdict());
  valuePanel_.ShowVerdict(shown.verdict, shown.limits, shown.decimals, shown.unit, separators_);
}

// ---- A series

void Tfkm470a::ButtonReiheClick() {
  series_.Choose();
}

void Tfkm470a::ShowSeriesTest(int row) {
  const dynlog::SeriesFolder* series = series_.Folder();
  if (!series || recording_.State() == dynlog::MeasuringState::Running)
    return;
  const auto& rows = series->Table().Rows();
  if (row >= 0 && static_cast<std::size_t>(row) < rows.size())
    OpenTests({series->FileOf(rows[static_cast<std::size_t>(row)])}, GetKeyState(VK_CONTROL) < 0);
}

bool Tfkm470a::FormKey(WPARAM key) {
  if (key != 'M')
    return false;
  conditions_.ResetPeak();
  return true;
}
