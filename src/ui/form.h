#pragma once
// A form: one top-level window of the program with its child controls and its event handlers.
// Windows derive from Form, create their controls in their constructor and override the handlers
// they need. The window procedure catches every exception and hands it to the error box.
#include "base/handles.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Control;
class Label;

// Modal results, as the buttons report them.
enum ModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL };

// Sizes, positions and font heights of forms and controls are logical pixels (see ui/dpi.h).
struct FormStyle {
  std::string caption;       // UTF-8
  int width = 0, height = 0; // see clientSize
  bool clientSize = false;   // true: width and height are the client area, else the outer size
  bool sizeable = false;     // false: fixed single border, only the system menu
  bool minMaxBoxes = false;  // minimise and maximise boxes (the main window)
  COLORREF background = CLR_INVALID; // CLR_INVALID: the system's button-face colour
  const wchar_t* fontFace = L"MS Sans Serif";
  int fontHeight = 11; // pixels
  HWND owner = nullptr;
  // One device context for the window's whole life, for a form that draws many times a second
  // outside its paint messages: under Wine, every fresh one costs several round trips to the
  // server. Its state then lasts from one drawing to the next: restore what you change.
  bool ownDc = false;
  // The smallest outer size the user can drag the window to (0: no limit).
  int minWidth = 0, minHeight = 0;
};

// A font of a form, its height in logical pixels. The form makes it again at its DPI whenever that
// changes, or when its height is set anew, and hands the new handle to every control that had the
// old one: keep the reference, not the handle.
class ScaledFont {
public:
  HFONT get() const { return font_.get(); }
  int Height() const { return height_; }

private:
  friend class Form;
  std::wstring face_;
  int height_ = 0;
  bool bold_ = false;
  BYTE charset_ = DEFAULT_CHARSET;
  base::Font font_;
};

class Form {
public:
  explicit Form(const FormStyle& style);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const { return hwnd_.get(); }
  HFONT FormFont() const { return formFont_->get(); }

  // The screen's DPI and the conversions of logical pixels to its pixels and back.
  int Dpi() const { return dpi_; }
  int Px(int logical) const;
  int Logical(int pixels) const;
  // Rounded up, for the width of a text: a pixel short would cut its last letter.
  int LogicalUp(int pixels) const { return (pixels * 96 + dpi_ - 1) / dpi_; }
  // The client area in logical pixels, rounded down: what is placed against its right or bottom
  // edge then ends inside it at every DPI, never a pixel beyond.
  SIZE LogicalClientSize() const;
  // A font that follows the form's DPI; it lives as long as the form.
  ScaledFont& AddFont(const wchar_t* face, int height, bool bold = false,
                      BYTE charset = DEFAULT_CHARSET);
  void SetFontHeight(ScaledFont& font, int height);

  // command: how ShowWindow shows it (SW_SHOWMAXIMIZED for a maximised start).
  void Show(int command = SW_SHOW);
  void Hide();
  bool Visible() const;
  // Shows the form modally: the other windows of the program take no input until it closes.
  // Returns the modal result (mrCancel when closed through the close box).
  int ShowModal();
  void SetModalResult(int result) { modalResult_ = result; }
  // Ends a modal showing with result, as a dialog's OK or Abbrechen does.
  void EndModal(int result) {
    SetModalResult(result);
    Hide();
  }
  // Closes as the close box does: FormClose, then hidden (or, for the main form, destroyed).
  void Close();

  void SetBackground(COLORREF colour); // CLR_INVALID: button face
  COLORREF Background() const;
  void CenterOnScreen();
  void CenterOver(HWND other);
  // The outer size in logical pixels.
  void SetOuterSize(int width, int height);
  SIZE OuterSize() const;

  // Tooltip hint for a child control (shown when the mouse rests on it).
  void SetHint(HWND control, std::string_view utf8Hint);

  // Child-control bookkeeping used by the controls.
  int NextControlId() { return nextId_++; }
  void OnCommandFor(int id, std::function<void(int code)> handler) {
    commands_[id] = std::move(handler);
  }
  void OnTimerFor(UINT_PTR id, std::function<void()> handler) { timers_[id] = std::move(handler); }
  // A common control's notifications (WM_NOTIFY) by its id; the handler's result is returned.
  void OnNotifyFor(int id, std::function<LRESULT(const NMHDR&)> handler) {
    notifies_[id] = std::move(handler);
  }
  void RegisterLabel(Label* label) { labels_.push_back(label); }
  void RegisterControl(Control* control) { controls_.push_back(control); }
  void UnregisterControl(Control* control);

  // The main form ends the program when it is closed.
  void MakeMainForm() { mainForm_ = true; }

  // Runs `task` from the message loop once the message being handled is done. A timer tick that
  // finds a question necessary posts it here: a modal window opened inside the tick would let
  // the timer run into itself.
  void Post(std::function<void()> task);

protected:
  virtual void FormShow() {}
  // Asked before the window closes, however that is asked for; false keeps it open.
  virtual bool FormCloseQuery() { return true; }
  virtual void FormClose() {}
  virtual void FormResize() {}
  // After the fonts and controls have followed a new DPI, before FormResize.
  virtual void FormDpiChanged() {}
  virtual void FormPaint(HDC, const RECT&) {}
  // The mouse on the form itself (not on a control), in client coordinates. A press captures the
  // mouse until it is released; a double click comes instead of the second press.
  virtual void FormMouseMove(int /*x*/, int /*y*/) {}
  virtual void FormMouseDown(int /*x*/, int /*y*/) {}
  virtual void FormMouseUp(int /*x*/, int /*y*/) {}
  virtual void FormDoubleClick(int /*x*/, int /*y*/) {}
  // Esc, pressed on the form or on one of its controls.
  virtual void FormEscape() {}
  // Files dropped on a form that accepts them (DragAcceptFiles), as UTF-8 paths.
  virtual void FormFilesDropped(const std::vector<std::string>& /*utf8Paths*/) {}
  // A key pressed while the form is active, before its focused control sees it; true when the
  // form has taken it. Keys with Ctrl or Alt held are not offered.
  virtual bool FormKey(WPARAM /*key*/) { return false; }

private:
  static const wchar_t* RegisterFormClass(bool ownDc);
  static LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Dispatch(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void MakeFont(ScaledFont& font);
  // Moves to a screen of another DPI: fonts, controls and the window itself.
  void ApplyDpi(int dpi, const RECT* suggested);
  void HandFontOn(HFONT from, HFONT to);
  HBRUSH LabelBrush(HWND control, HDC dc, bool& handled);

  base::UniqueWindow hwnd_;
  int dpi_ = 96;
  std::deque<ScaledFont> fonts_;
  ScaledFont* formFont_ = nullptr;
  std::vector<Control*> controls_;
  base::Brush background_;
  COLORREF backgroundColour_ = CLR_INVALID;
  HWND tooltip_ = nullptr;
  int nextId_ = 100;
  std::map<int, std::function<void(int)>> commands_;
  std::map<UINT_PTR, std::function<void()>> timers_;
  std::map<int, std::function<LRESULT(const NMHDR&)>> notifies_;
  std::vector<Label*> labels_;
  bool modal_ = false;
  int modalResult_ = mrNone;
  bool mainForm_ = false;
  SIZE minSize_{};
  // Posted when something tried to make the window smaller than minSize_.
  static constexpr UINT kShowMinimumSize = WM_APP + 1;
  static constexpr UINT kRunPosted = WM_APP + 2;
  std::deque<std::function<void()>> posted_;
};

} // namespace ui
