#include "info/uinfo.h"

#include "info/fileversion.h"

namespace {

ui::FormStyle AboutStyle(HWND owner) {
  ui::FormStyle s = ui::DialogStyle("DYNLOG Infofenster", 699, 261, owner);
  s.background = RGB(255, 255, 255);
  s.fontFace = L"System";
  s.fontHeight = 13;
  return s;
}

// Image2: the picture's place, into which it is stretched.
constexpr RECT kImage2{24, 40, 24 + 354, 40 + 142};

ui::LabelStyle Transparent(HFONT font = nullptr) {
  ui::LabelStyle s;
  s.font = font;
  s.transparent = true;
  return s;
}

} // namespace

TAboutBox::TAboutBox(HWND owner)
    : ui::Form(AboutStyle(owner)), boldSystemFont_(AddFont(L"System", 13, true)),
      titleFont_(AddFont(L"Arial", 19, true)),
      Label8(*this, 464, 48, 97, 16, "Version 0.0.0.0", {.font = boldSystemFont_.get()}),
      Button1(
          *this, 456, 216,
          [this] {
            SetModalResult(ui::mrOk);
            ProgramUpdate.Cancel();
            return true;
          },
          75),
      Label5(*this, 72, 8, 483, 22, "  PC-Programm für Anzeigeeinheit KM470 und PT615  ",
             Transparent(titleFont_.get())),
      Memo1(*this, 16, 344, 649, 161, "Memo1"),
      Button4(*this, 160, 216, 137, 25, "Program-Update", [this] { Button4Click(); }),
      Label9(*this, 400, 120, 10, 16, kMakerName, Transparent()),
      Label1(*this, 400, 144, 10, 16, kMakerWeb, Transparent()),
      SignatureLabel(*this, 400, 176, 10, 16,
                     dynlog::ProgramUpdate::SignaturesRequired() ? dynlog::kSignedUpdatesText
                                                                 : dynlog::kUnsignedUpdatesText,
                     Transparent()),
      ProgramUpdate({*this, Button4, Memo1, Label8}) {
  Memo1.SetVisible(false);
  Button4.SetHint("Internetanschluß erforderlich");
  Label9.AutoSize();
  Label1.AutoSize();
  SignatureLabel.AutoSize();
  picture_.reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), L"ABOUTPICTURE",
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void TAboutBox::Button4Click() {
  ProgramUpdate.Run();
}

void TAboutBox::FormClose() {
  // Closing the window is the user's way to stop an update: it must not go on out of sight and
  // then ask its question over the main window.
  ProgramUpdate.Cancel();
}

void TAboutBox::FormShow() {
  if (HWND owner = GetWindow(Handle(), GW_OWNER))
    CenterOver(owner);
  Label8.SetText("Version " + dynlog::RunningProgramVersionText());
}

void TAboutBox::FormDpiChanged() {
  // Text does not grow exactly with the scale.
  Label9.AutoSize();
  Label1.AutoSize();
  SignatureLabel.AutoSize();
}

void TAboutBox::FormPaint(HDC dc, const RECT&) {
  if (!picture_)
    return;
  BITMAP bm{};
  GetObjectW(picture_.get(), sizeof(bm), &bm);
  base::MemoryDc source(CreateCompatibleDC(dc));
  base::SelectObjectScope select(source.get(), picture_.get());
  SetStretchBltMode(dc, HALFTONE);
  const int left = Px(kImage2.left), top = Px(kImage2.top);
  StretchBlt(dc, left, top, Px(kImage2.right) - left, Px(kImage2.bottom) - top, source.get(), 0, 0,
             bm.bmWidth, bm.bmHeight, SRCCOPY);
}
