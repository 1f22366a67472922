#pragma once
// TAboutBox, the info window: which device family the program is for, which version is running and
// who made it, and the button that updates the program.
#include "base/handles.h"
#include "info/programupdate.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/form.h"

class TAboutBox : public ui::Form {
  // Declared before the controls, which are created with them.
  ui::ScaledFont& boldSystemFont_;
  ui::ScaledFont& titleFont_;

public:
  explicit TAboutBox(HWND owner = nullptr);

  ui::Label Label8;         // version
  ui::OkButton Button1;     // OK
  ui::Label Label5;         // program name
  ui::Memo Memo1;           // the update's log, below the visible area until an update runs
  ui::Button Button4;       // Program-Update
  ui::Label Label9;         // maker
  ui::Label Label1;         // maker's web address
  ui::Label SignatureLabel; // whether updates must carry the vendor's signature

  // The program update with the window's HTTP client, HTTP1. Made after the controls it uses.
  dynlog::ProgramUpdate ProgramUpdate;

  // Runs the program update.
  virtual void Button4Click();

protected:
  void FormShow() override;
  void FormClose() override;
  void FormPaint(HDC dc, const RECT& area) override;
  void FormDpiChanged() override;

private:
  base::Bitmap picture_;
};

// The maker's names as the info window and the version resource show them.
inline constexpr const char* kMakerName = "Musterfirma Messtechnik";
inline constexpr const char* kMakerWeb = "www.example.com";
