#include "link/Ukm470b.h"

#include "base/errorbox.h"
#include "base/handles.h"
#include "link/instrumentlink.h"
#include "link/portorder.h"
#include "link/searchtiming.h"
#include "link/serialports.h"
#include "link/settingsfile.h"
#include "link/ucom.h"

#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

constexpr char kSection[] = "Einstellung";
constexpr char kPortKey[] = "COM-Kanal";
// A port above COM4; older versions read only COM-Kanal.
constexpr char kOtherPortKey[] = "COM-Nummer";
constexpr char kBaudKey[] = "Baudrate";
// The baud rate of each item of RadioGroup2, in its order.
constexpr int kBaudRates[] = {9600, 19200};

} // namespace

Tfkm470b::Tfkm470b(km470::Settings& settings, HWND owner)
    : ui::Form(ui::DialogStyle("KM470/PT615 Anschluß suchen", 251, 274, owner)),
      RadioGroup1(*this, 8, 8, 81, 105, "Anschluß", {"COM 1", "COM 2", "COM 3", "COM 4"},
                  [this] { PortGroupChange(); }),
      RadioGroup2(*this, 104, 8, 113, 105, "Einstellung", {"9600 Baud", "19200 Baud"},
                  [this] { RadioGroup1Click(); }),
      StatusLabel(*this, 8, 124, 235, 16, ""),
      OtherPortsLabel(*this, 8, 155, 110, 16, "Weitere Anschlüsse:"),
      OtherPorts(*this, 120, 151, 97, 200, [this] { OtherPortChoice(); }),
      CancelButton(
          *this, 88, 241, [this] { CancelButtonClick(); }, 75),
      Timer1(*this, km470::SearchStepMs(), [this] { Timer1Timer(); }), settings_(settings) {
  ListPorts(0);
}

void Tfkm470b::ListPorts(int stored) {
  ports_ = km470::SearchPorts(km470::ListedSerialPorts(), stored);
  OtherPorts.SetPorts({ports_.begin() + km470::kBuiltInPorts, ports_.end()});
}

SearchOutcome Tfkm470b::ConnectOnFirstStart() {
  gaveUp_ = false;
  ClicksEnabled = false;
  TimerStepping = true;
  const int stored = km470::StoredPort(settings_.Number(kSection, kPortKey, 2),
                                       settings_.Number(kSection, kOtherPortKey, 0));
  ListPorts(stored); // an adapter may have been plugged in since the program started
  SelectPort(stored);
  const int baud = settings_.Number(kSection, kBaudKey, 19200);
  for (int i = 0; i < static_cast<int>(std::size(kBaudRates)); ++i)
    if (kBaudRates[i] == baud)
      RadioGroup2.SetItemIndex(i);    // a rate the dialog does not offer leaves it as it is
  if (!ProbeInstrument() && !gaveUp_) // given up during the probe: the dialog is not shown
    ShowModal();
  return Outcome();
}

SearchOutcome Tfkm470b::Outcome() const {
  if (found_)
    return SearchOutcome::Found;
  return gaveUp_ ? SearchOutcome::NotFound : SearchOutcome::Cancelled;
}

void Tfkm470b::GiveUp() {
  gaveUp_ = true;
  if (Visible())
    Close();
}

void Tfkm470b::CancelButtonClick() {
  Timer1.SetEnabled(false);
  SetModalResult(ui::mrCancel);
  Close();
}

int Tfkm470b::SelectedBaud() const {
  // No item selected (a rate from km470.ini the dialog does not offer): the slower rate.
  return RadioGroup2.ItemIndex() == 1 ? kBaudRates[1] : kBaudRates[0];
}

int Tfkm470b::ChosenPort() const {
  if (const int other = OtherPorts.Port())
    return other;
  return RadioGroup1.ItemIndex() + 1;
}

void Tfkm470b::SelectPort(int port) {
  const bool clicks = ClicksEnabled;
  ClicksEnabled = false;
  OtherPorts.SetPort(port);
  RadioGroup1.SetItemIndex(port <= km470::kBuiltInPorts ? port - 1 : -1);
  ClicksEnabled = clicks;
}

void Tfkm470b::PortGroupChange() {
  if (RadioGroup1.ItemIndex() >= 0)
    OtherPorts.SetPort(0);
  RadioGroup1Click();
}

void Tfkm470b::OtherPortChoice() {
  const int port = OtherPorts.Port();
  SelectPort(port);
  RadioGroup1Click();
}

std::string Tfkm470b::SettingText() const {
  // No port chosen: the probe opens COM4.
  const int port = ChosenPort();
  return km470::PortName(port > 0 ? port : 4) + ", " + std::to_string(SelectedBaud()) + " Baud";
}

bool Tfkm470b::OpenSelectedPort() {
  const int port = ChosenPort();
  const std::string name = km470::PortName(port > 0 ? port : 4);
  const int baud = SelectedBaud();
  if (RadioGroup2.ItemIndex() != 0 && baud == kBaudRates[0]) {
    // km470.ini named a rate the dialog does not offer; show the rate the port really runs at.
    const bool clicks = ClicksEnabled;
    ClicksEnabled = false;
    RadioGroup2.SetItemIndex(0);
    ClicksEnabled = clicks;
  }
  std::string errorText;
  ucom::ComOpen(name, baud, errorText);
  return errorText.empty();
}

bool Tfkm470b::ProbeInstrument() {
  probing_ = true;
  const base::ScopeExit done{[this] { probing_ = false; }};
  StatusLabel.SetText(SettingText() + " …");
  const bool opened = OpenSelectedPort();
  const bool ok = opened && km470::IdentifyInstrument();
  SetBackground(ok ? kFoundColour : CLR_INVALID);
  if (ok)
    StatusLabel.SetText("Gefunden: " + SettingText());
  else if (!opened && ucom::ComPortMissing())
    StatusLabel.SetText(ucom::ComPortName() + ": nicht vorhanden");
  else
    StatusLabel.SetText(SettingText() + ": keine Antwort");
  found_ = ok;
  return ok;
}

void Tfkm470b::FormShow() {
  SetBackground(CLR_INVALID);
  ClicksEnabled = true;
  Timer1.SetEnabled(true);
}

void Tfkm470b::FormClose() {
  Timer1.SetEnabled(false);
}

void Tfkm470b::Timer1Timer() {
  // A step shorter than a probe (a test's setting) must not start a probe inside another.
  if (probing_)
    return;
  TimerStepping = true;
  ClicksEnabled = true;
  if (RadioGroup2.ItemIndex() == 0) {
    RadioGroup2.SetItemIndex(1);
  } else {
    SelectPort(km470::NextPort(ports_, ChosenPort()));
    RadioGroup2.SetItemIndex(0);
  }
  TimerStepping = false;
}

void Tfkm470b::RadioGroup1Click() {
  if (!ClicksEnabled)
    return;
  if (!TimerStepping)
    Timer1.SetEnabled(false);
  const auto enableGroups = [this](bool enabled) {
    RadioGroup1.SetEnabled(enabled);
    RadioGroup2.SetEnabled(enabled);
    OtherPorts.SetEnabled(enabled);
  };
  enableGroups(false);
  // The groups must come back whatever happens during the probe.
  base::ScopeExit reenable{[&] { enableGroups(true); }};
  if (ProbeInstrument()) {
    Timer1.SetEnabled(false);
    // The found setting stays readable on the green, not greyed, for the half second it shows;
    // meanwhile the dialog as a whole takes no input, so the setting cannot change under it.
    EnableWindow(Handle(), FALSE);
    enableGroups(true);
    {
      const base::ScopeExit enableDialog{[this] { EnableWindow(Handle(), TRUE); }};
      ucom::DelaySeconds(0.5);
    }
    WriteSettings();
    SetModalResult(ui::mrOk);
    Close();
  }
}

void Tfkm470b::WriteSettings() {
  const km470::StoredPortKeys keys = km470::KeysForPort(ChosenPort());
  // A port of COM1 to COM4 removes the other key, so that it cannot outlive the port it named.
  const bool ok =
      settings_.Write(kSection, kPortKey, std::to_string(keys.comKanal)) &&
      (keys.comNummer ? settings_.Write(kSection, kOtherPortKey, std::to_string(keys.comNummer))
                      : settings_.Remove(kSection, kOtherPortKey)) &&
      settings_.Write(kSection, kBaudKey, std::to_string(SelectedBaud()));
  if (!ok) {
    // The port is found all the same; the user only loses the stored setting. The dialog closes
    // after the message, as after a successful write.
    base::ShowErrorBox("nach " + settings_.Path() + " kann nicht geschrieben werden");
  }
}
