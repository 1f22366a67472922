#pragma once
// The child controls the forms are made of. Each is a thin owner of one child window (or, for the
// radio group, a group box and its buttons); the parent form destroys the windows.
#include "base/dibsection.h"
#include "base/handles.h"
#include "ui/form.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Control {
public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() { form_.UnregisterControl(this); }

  HWND Handle() const { return hwnd_; }
  int Id() const { return id_; }
  virtual void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetVisible(bool visible);
  bool Visible() const;
  // Position and size relative to the parent's client area, in logical pixels.
  void SetBounds(int left, int top, int width, int height);
  RECT Bounds() const { return bounds_; }
  // Puts the window where its logical bounds say at the form's DPI.
  virtual void Place();
  void SetText(std::string_view utf8);
  std::string Text() const;
  void SetFont(HFONT font);
  void SetHint(std::string_view utf8Hint);

protected:
  Control(Form& form, int id) : form_(form), id_(id) { form.RegisterControl(this); }
  void CreateChild(const wchar_t* cls, DWORD style, DWORD exStyle, int left, int top, int width,
                   int height, std::string_view caption);
  Form& form_;
  HWND hwnd_ = nullptr;
  int id_;
  RECT bounds_{};
};

// A control's place at the form's first size (logical pixels), its caption and its hint (none
// when empty), for a form that keeps its controls in a table.
struct ControlPlace {
  int left = 0, top = 0, width = 0, height = 0;
  std::string_view caption;
  std::string_view hint;
};

class Button : public Control {
public:
  // id 0 picks a fresh id; IDOK and IDCANCEL make the standard OK and cancel buttons (Enter, Esc).
  Button(Form& form, int left, int top, int width, int height, std::string_view caption,
         std::function<void()> onClick, int id = 0, bool isDefault = false);
  Button(Form& form, const ControlPlace& place, std::function<void()> onClick)
      : Button(form, place.left, place.top, place.width, place.height, place.caption,
               std::move(onClick)) {
    if (!place.hint.empty())
      SetHint(place.hint);
  }
  // As a click by the user: runs the handler if the button is enabled.
  void Click();
  // Optional picture beside the caption. An icon's mask lets a disabled button grey out the
  // picture's shape, as the system greys a disabled icon; a bitmap has no shape to grey.
  void SetImage(HBITMAP bitmap);
  void SetImage(HICON icon);

private:
  std::function<void()> onClick_;
};

struct LabelStyle {
  enum Align { Left, Center, Right } align = Left;
  HFONT font = nullptr; // null: the form's font
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF background = CLR_INVALID; // CLR_INVALID: the form's background
  bool transparent = false;
  bool ellipsis = false; // a text too long for the label ends in "..."
  bool wordWrap = false; // lines break at blanks and line ends; otherwise one line
  // Where one line stands from top to bottom.
  enum VAlign { Top, Middle, Bottom } valign = Top;
};

// A text on a background of its own, one line unless it wraps. It paints itself, background and
// text in one step through a bitmap of its own: a screen never shows it filled but without its
// text, which a label that changes ten times a second would otherwise show now and then.
class Label : public Control {
public:
  Label(Form& form, int left, int top, int width, int height, std::string_view caption,
        const LabelStyle& style = {});
  Label(Form& form, const ControlPlace& place, const LabelStyle& style)
      : Label(form, place.left, place.top, place.width, place.height, place.caption, style) {
    if (!place.hint.empty())
      SetHint(place.hint);
  }
  ~Label() override;
  // Stores the text and paints it at once: an invalidation would cost a paint message with its
  // update region for every change; the value display changes ten times a second. The same text
  // again paints nothing.
  void SetText(std::string_view utf8);
  void SetBackground(COLORREF background);
  COLORREF Background() const { return style_.background; }
  void SetTextColour(COLORREF colour);
  COLORREF TextColour() const { return style_.textColour; }
  // Fits the width to the text; a right-aligned label keeps its right edge, others their left.
  void AutoSize();
  // Called by the form for WM_CTLCOLORSTATIC.
  HBRUSH Paint(HDC dc, HBRUSH formBrush);
  // A click on the label (released over it) runs onClick.
  void OnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

private:
  static LRESULT CALLBACK LabelProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void PaintNow();
  // Background and text into the label's own bitmap, then onto dc at once.
  void PaintInto(HDC dc);
  LabelStyle style_;
  base::Brush brush_;
  HFONT font_ = nullptr;
  base::MemoryBitmap buffer_;
  std::function<void()> onClick_;
};

class CheckBox : public Control {
public:
  CheckBox(Form& form, int left, int top, int width, int height, std::string_view caption);
  bool Checked() const;
  void SetChecked(bool checked);
};

// A radio button of a group of buttons that share one parent: checking one unchecks the others.
class RadioButton : public Control {
public:
  RadioButton(Form& form, int left, int top, int width, int height, std::string_view caption,
              bool firstOfGroup = false);
  bool Checked() const;
  void SetChecked(bool checked); // unchecks the other buttons of its group
  void SetGroup(std::vector<RadioButton*> group) { group_ = std::move(group); }

private:
  std::vector<RadioButton*> group_;
};

// A captioned frame with one radio button per item. ItemIndex -1 means no selection. A change of
// the selection, by the user or by the program, runs the click handler.
class RadioGroup : public Control {
public:
  RadioGroup(Form& form, int left, int top, int width, int height, std::string_view caption,
             const std::vector<std::string>& items, std::function<void()> onClick);
  int ItemIndex() const { return index_; }
  // Values below -1 become -1 and values past the last item the last item.
  void SetItemIndex(int index);
  void SetEnabled(bool enabled) override;
  void Place() override;
  HWND ItemHandle(int index) const { return buttons_.at(static_cast<size_t>(index)); }
  int Count() const { return static_cast<int>(buttons_.size()); }

private:
  void ButtonClicked(int index);
  // The frame paints its interior around the items in the form's colour: a group box draws only
  // its line and caption, and the form, which clips its children, does not paint under it.
  static LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR self);
  void PaintInterior(HDC dc);
  std::vector<HWND> buttons_;
  int index_ = -1;
  std::function<void()> onClick_;
};

// A multi-line text box that shows a list of lines.
class Memo : public Control {
public:
  Memo(Form& form, int left, int top, int width, int height, std::string_view text);
  void Clear();
  void Append(std::string_view line);
  // Replaces the last line (adds one when there is none).
  void SetLastLine(std::string_view line);
  const std::vector<std::string>& Lines() const { return lines_; }

private:
  void Refresh();
  std::vector<std::string> lines_;
};

// A one-line text box the person types into.
class Edit : public Control {
public:
  Edit(Form& form, int left, int top, int width, int height, std::string_view text);
};

// A drop-down list to choose one of its items from; height is that of the closed box.
class ComboBox : public Control {
public:
  ComboBox(Form& form, int left, int top, int width, int height,
           const std::vector<std::string>& items);
  int ItemIndex() const;
  void SetItemIndex(int index);
  void Place() override;
};

// A table with a header: one row per item, one column per field. A click on a row (or a move to
// it with the keys) runs onSelect with the row's index.
class ListView : public Control {
public:
  struct Column {
    std::string caption;
    int width; // logical pixels
    bool right = false;
  };
  ListView(Form& form, int left, int top, int width, int height, std::vector<Column> columns,
           std::function<void(int row)> onSelect);
  void Clear();
  void AddRow(const std::vector<std::string>& cells);
  int RowCount() const;
  int Selected() const;  // -1: none
  void Select(int row);  // as a click does, onSelect included
  void Place() override; // the columns follow the DPI

private:
  std::vector<Column> columns_;
  std::function<void(int)> onSelect_;
};

// A window timer of a form.
class Timer {
public:
  Timer(Form& form, unsigned intervalMs, std::function<void()> onTimer);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  unsigned Interval() const { return interval_; }

private:
  Form& form_;
  UINT_PTR id_;
  unsigned interval_;
  bool enabled_ = false;
};

// Creates a font: face, height in the screen's pixels, bold, character set (SYMBOL_CHARSET for
// "Symbol"). A form's fonts follow its DPI: Form::AddFont.
base::Font MakeFont(const wchar_t* face, int heightPx, bool bold = false,
                    BYTE charset = DEFAULT_CHARSET);

} // namespace ui
