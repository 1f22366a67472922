#include "link/Ukm470b.h"

#include "base/errorbox.h"
#include "base/handles.h"
#include "base/text.h"
#include "link/instrumentlink.h"
#include "link/profileint.h"
#include "link/searchtiming.h"
#include "link/ucom.h"

#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

const char kSection[] = "Einstellung";
const char kPortKey[] = "COM-Kanal";
const char kBaudKey[] = "Baudrate";
// The baud rate of each item of RadioGroup2, in its order.
constexpr int kBaudRates[] = {9600, 19200};

int ReadSetting(const std::string& path, const char* key, int def) {
  char buffer[256] = {};
  GetPrivateProfileStringA(kSection, key, "", buffer, sizeof(buffer), path.c_str());
  return ProfileIntFromText(buffer, def);
}

ui::FormStyle SearchStyle(HWND owner) {
  ui::FormStyle s;
  s.caption = "KM470/PT615 Anschluß suchen";
  s.width = 251;
  s.height = 274;
  s.clientSize = true;
  s.owner = owner;
  return s;
}

} // namespace

Tfkm470b::Tfkm470b(HWND owner)
    : ui::Form(SearchStyle(owner)),
      RadioGroup1(*this, 8, 8, 81, 105, "Anschluß", {"COM 1", "COM 2", "COM 3", "COM 4"},
                  [this] { RadioGroup1Click(); }),
      RadioGroup2(*this, 104, 8, 113, 105, "Einstellung", {"9600 Baud", "19200 Baud"},
                  [this] { RadioGroup1Click(); }),
      StatusLabel(*this, 8, 124, 235, 16, ""),
      CancelButton(
          *this, 88, 241, 75, 25, "Abbrechen", [this] { CancelButtonClick(); }, IDCANCEL),
      Timer1(*this, km470::SearchStepMs(), [this] { Timer1Timer(); }) {}

std::string Tfkm470b::SettingsPath() {
  char full[MAX_PATH + 1] = {};
  const DWORD n = GetFullPathNameA("km470.ini", sizeof(full), full, nullptr);
  if (n == 0 || n >= sizeof(full))
    return "km470.ini";
  return full;
}

SearchOutcome Tfkm470b::ConnectOnFirstStart() {
  gaveUp_ = false;
  ClicksEnabled = false;
  TimerStepping = true;
  const std::string path = SettingsPath();
  RadioGroup1.SetItemIndex(ReadSetting(path, kPortKey, 2) - 1);
  const int baud = ReadSetting(path, kBaudKey, 19200);
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

std::string Tfkm470b::SettingText() const {
  const int port = RadioGroup1.ItemIndex();
  return "COM" + std::to_string(port >= 0 && port <= 2 ? port + 1 : 4) + ", " +
         std::to_string(SelectedBaud()) + " Baud";
}

bool Tfkm470b::OpenSelectedPort() {
  static const char* const kPorts[] = {"COM1", "COM2", "COM3"};
  const int port = RadioGroup1.ItemIndex();
  const std::string name = port >= 0 && port <= 2 ? kPorts[port] : "COM4";
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
  bool ok = OpenSelectedPort();
  if (ok)
    ok = km470::IdentifyInstrument();
  SetBackground(ok ? kFoundColour : CLR_INVALID);
  StatusLabel.SetText(ok ? "Gefunden: " + SettingText() : SettingText() + ": keine Antwort");
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
    ClicksEnabled = false;
    const int port = RadioGroup1.ItemIndex();
    RadioGroup1.SetItemIndex(port < 0 || port >= 3 ? 0 : port + 1);
    ClicksEnabled = true;
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
  const std::string path = SettingsPath();
  const std::string port = std::to_string(RadioGroup1.ItemIndex() + 1);
  const std::string baud = std::to_string(SelectedBaud());
  const bool ok = WritePrivateProfileStringA(kSection, kPortKey, port.c_str(), path.c_str()) &&
                  WritePrivateProfileStringA(kSection, kBaudKey, baud.c_str(), path.c_str());
  if (!ok) {
    // The port is found all the same; the user only loses the stored setting. The dialog closes
    // after the message, as after a successful write.
    base::ShowErrorBox("nach " + base::FromAnsi(path) + " kann nicht geschrieben werden");
  }
}
