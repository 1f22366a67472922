#pragma once
// The buttons beside the value display for what a test is taken under, and the held peak below
// the digits: the conditions of the next test (Bedingungen), the zero (Nullen, Null aus), and the
// peak held so far, which a click on it or the M key resets. The conditions and whether the lowest
// value is held are kept in km470.ini while a person is at the window.
#include "base/numberformat.h"
#include "files/descriptionsettings.h"
#include "link/settingsfile.h"
#include "test/aftertest.h"
#include "test/recording.h"
#include "ui/controls.h"
#include "ui/runmode.h"
#include "window/zerorequest.h"

#include <windows.h>

#include <functional>
#include <memory>

class ConditionsDialog;

class ConditionsPanel {
public:
  struct Parts {
    dynlog::Recording& recording;
    dynlog::AfterTest& after;
    ZeroRequest& zero;
    km470::Settings& settings;
    const ui::RunMode& runMode;
    const int& decimals; // the unit's
    const dynlog::NumberSeparators& separators;
  };
  struct Controls {
    ui::Button &nullen, &nullAus;
    ui::Label& peak;
  };
  // showTexts: the status line at once (it says whether a zero is taken or awaited);
  // stopWaiting: a stopped test's values on their way are not waited for any longer.
  ConditionsPanel(HWND owner, Parts parts, Controls controls, std::function<void()> showTexts,
                  std::function<void()> stopWaiting);
  ~ConditionsPanel();

  // The conditions dialog; what OK took is taken.
  void Ask();
  // The conditions of the next Start and whether the lowest value is held.
  void Take(const dynlog::ConditionSettings& settings);
  // Nullen: the zero from the next half second of values; a refusal is shown.
  void Zero(bool connected);
  // Null aus: the zero cleared, refused while a test records.
  void ClearZero();
  // After a zero was taken or cleared: the peak held so far was on the other zero.
  void ShowZero();
  void ResetPeak();
  void ShowPeak();

private:
  HWND owner_;
  Parts parts_;
  Controls controls_;
  std::function<void()> showTexts_, stopWaiting_;
  std::unique_ptr<ConditionsDialog> dialog_;
};
