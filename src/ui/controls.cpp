#include "ui/controls.h"

#include "base/dibsection.h"
#include "base/errorbox.h"
#include "base/text.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace ui {

base::Font MakeFont(const wchar_t* face, int heightPx, bool bold, BYTE charset) {
  return base::Font(CreateFontW(-heightPx, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, face));
}

// ---- Control

void Control::CreateChild(const wchar_t* cls, DWORD style, DWORD exStyle, int left, int top,
                          int width, int height, std::string_view caption) {
  bounds_ = {left, top, left + width, top + height};
  hwnd_ = CreateWindowExW(exStyle, cls, base::Widen(caption).c_str(), WS_CHILD | WS_VISIBLE | style,
                          form_.Px(left), form_.Px(top), form_.Px(width), form_.Px(height),
                          form_.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_)
    throw std::runtime_error("Steuerelement kann nicht erzeugt werden");
  SetFont(form_.FormFont());
}

void Control::SetEnabled(bool enabled) {
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}
bool Control::Enabled() const {
  return IsWindowEnabled(hwnd_) != FALSE;
}
void Control::SetVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}
bool Control::Visible() const {
  return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetBounds(int left, int top, int width, int height) {
  bounds_ = {left, top, left + width, top + height};
  Place();
}

void Control::Place() {
  // Both edges scaled, so that neighbours that touch at 96 DPI touch at every DPI.
  const int left = form_.Px(bounds_.left), top = form_.Px(bounds_.top);
  MoveWindow(hwnd_, left, top, form_.Px(bounds_.right) - left, form_.Px(bounds_.bottom) - top,
             TRUE);
}

void Control::SetText(std::string_view utf8) {
  SetWindowTextW(hwnd_, base::Widen(utf8).c_str());
}

std::string Control::Text() const {
  const int n = GetWindowTextLengthW(hwnd_);
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd_, w.data(), n + 1);
  w.resize(static_cast<size_t>(n));
  return base::Narrow(w);
}

void Control::SetFont(HFONT font) {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::SetHint(std::string_view utf8Hint) {
  form_.SetHint(hwnd_, utf8Hint);
}

// ---- Button

Button::Button(Form& form, int left, int top, int width, int height, std::string_view caption,
               std::function<void()> onClick, int id, bool isDefault)
    : Control(form, id ? id : form.NextControlId()), onClick_(std::move(onClick)) {
  CreateChild(L"BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, left, top,
              width, height, caption);
  form.OnCommandFor(id_, [this](int code) {
    if (code == BN_CLICKED)
      Click();
  });
}

void Button::Click() {
  if (Enabled() && onClick_)
    onClick_();
}

void Button::SetImage(HBITMAP bitmap) {
  SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Button::SetImage(HICON icon) {
  SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

// ---- Label

namespace {

const wchar_t kLabelClass[] = L"DynlogLabel";

} // namespace

Label::Label(Form& form, int left, int top, int width, int height, std::string_view caption,
             const LabelStyle& style)
    : Control(form, form.NextControlId()), style_(style) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    // Redrawn whole when its size changes: a centred or right-aligned text moves with the width,
    // and the pixels the system would keep from before would leave stray glyphs beside it.
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Label::LabelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kLabelClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  // The alignment is kept in the static control's style bits, where tools that look at windows
  // expect it.
  const DWORD align = style.align == LabelStyle::Center  ? SS_CENTER
                      : style.align == LabelStyle::Right ? SS_RIGHT
                                                         : SS_LEFTNOWORDWRAP;
  CreateChild(kLabelClass, align | SS_NOPREFIX, 0, left, top, width, height, caption);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetFont(style.font ? style.font : form.FormFont());
  if (style.background != CLR_INVALID)
    brush_.reset(CreateSolidBrush(style.background));
  form.RegisterLabel(this);
}

Label::~Label() {
  if (hwnd_ && IsWindow(hwnd_))
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

LRESULT CALLBACK Label::LabelProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Label*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  switch (msg) {
  case WM_SETFONT:
    if (self) {
      self->font_ = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp))
        InvalidateRect(h, nullptr, FALSE);
    }
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(self ? self->font_ : nullptr);
  case WM_SETTEXT:
  case WM_ENABLE: {
    const LRESULT r = DefWindowProcW(h, msg, wp, lp);
    InvalidateRect(h, nullptr, FALSE);
    return r;
  }
  case WM_ERASEBKGND:
    return 1; // painted with the text
  case WM_PAINT: {
    base::PaintDc paint(h);
    if (self) {
      try {
        self->PaintInto(paint.get());
      } catch (...) {
        base::ReportCurrentException(); // never through user32's frames
      }
    }
    return 0;
  }
  case WM_PRINTCLIENT:
    if (self)
      self->PaintInto(reinterpret_cast<HDC>(wp));
    return 0;
  case WM_LBUTTONUP:
    if (self && self->onClick_) {
      try {
        auto onClick = self->onClick_; // it may replace itself
        onClick();
      } catch (...) {
        base::ReportCurrentException();
      }
    }
    return 0;
  default:
    break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void Label::SetText(std::string_view utf8) {
  if (Text() == utf8)
    return; // a repaint of the same text would only cost time
  DefWindowProcW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(base::Widen(utf8).c_str()));
  PaintNow();
}

void Label::SetBackground(COLORREF background) {
  if (style_.background == background)
    return;
  style_.background = background;
  brush_.reset(background == CLR_INVALID ? nullptr : CreateSolidBrush(background));
  PaintNow();
}

void Label::SetTextColour(COLORREF colour) {
  if (style_.textColour == colour)
    return;
  style_.textColour = colour;
  PaintNow();
}

void Label::PaintNow() {
  // Painted at once through a window DC: an invalidation would cost a paint message with its
  // update region for every change, and a lamp may change many times a second. A hidden label
  // paints when it is shown.
  if (!IsWindowVisible(hwnd_))
    return;
  const base::WindowDc dc(hwnd_);
  PaintInto(dc.get());
}

void Label::PaintInto(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  if (rc.right <= 0 || rc.bottom <= 0)
    return;
  if (!buffer_ || buffer_.width() != rc.right || buffer_.height() != rc.bottom) {
    base::MemoryBitmap bitmap(rc.right, rc.bottom);
    if (!bitmap)
      return;
    buffer_ = std::move(bitmap);
  }
  HDC buffer = buffer_.dc();
  // The form says the colours, as it does for a static control.
  HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(buffer),
                                                       reinterpret_cast<LPARAM>(hwnd_)));
  FillRect(buffer, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(buffer, TRANSPARENT);
  if (!IsWindowEnabled(hwnd_))
    SetTextColor(buffer, GetSysColor(COLOR_GRAYTEXT));
  const int n = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd_, text.data(), n + 1);
  UINT format = DT_NOPREFIX | DT_EXPANDTABS | (style_.wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  format |= style_.align == LabelStyle::Center  ? DT_CENTER
            : style_.align == LabelStyle::Right ? DT_RIGHT
                                                : DT_LEFT;
  if (style_.ellipsis)
    format |= DT_END_ELLIPSIS;
  if (!style_.wordWrap)
    format |= style_.valign == LabelStyle::Middle   ? DT_VCENTER
              : style_.valign == LabelStyle::Bottom ? DT_BOTTOM
                                                    : DT_TOP;
  {
    base::SelectObjectScope select(buffer, font_ ? font_ : form_.FormFont());
    DrawTextW(buffer, text.c_str(), n, &rc, format);
  }
  GdiFlush();
  BitBlt(dc, 0, 0, rc.right, rc.bottom, buffer, 0, 0, SRCCOPY);
}

void Label::AutoSize() {
  const std::string text = Text();
  const std::wstring w = base::Widen(text);
  const base::WindowDc dc(hwnd_);
  SIZE size{0, 0};
  {
    base::SelectObjectScope select(dc.get(), font_ ? font_ : form_.FormFont());
    GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size);
  }
  const RECT r = Bounds();
  const int height = r.bottom - r.top;
  const int width = form_.LogicalUp(size.cx);
  if (style_.align == LabelStyle::Right)
    SetBounds(r.right - width, r.top, width, height);
  else
    SetBounds(r.left, r.top, width, height);
}

HBRUSH Label::Paint(HDC dc, HBRUSH formBrush) {
  SetTextColor(dc, style_.textColour);
  if (style_.transparent) {
    // The form clips its children, so nothing shows through a label: it takes the form's
    // background, and its text is drawn without a box of its own.
    SetBkMode(dc, TRANSPARENT);
    return formBrush;
  }
  if (brush_) {
    SetBkColor(dc, style_.background);
    return brush_.get();
  }
  LOGBRUSH lb{};
  GetObjectW(formBrush, sizeof(lb), &lb);
  SetBkColor(dc, lb.lbColor);
  return formBrush;
}

// ---- CheckBox

CheckBox::CheckBox(Form& form, int left, int top, int width, int height, std::string_view caption)
    : Control(form, form.NextControlId()) {
  CreateChild(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, left, top, width, height, caption);
}

bool CheckBox::Checked() const {
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void CheckBox::SetChecked(bool checked) {
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---- RadioButton

RadioButton::RadioButton(Form& form, int left, int top, int width, int height,
                         std::string_view caption, bool firstOfGroup)
    : Control(form, form.NextControlId()) {
  CreateChild(L"BUTTON", BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : WS_TABSTOP),
              0, left, top, width, height, caption);
}

bool RadioButton::Checked() const {
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::SetChecked(bool checked) {
  if (checked)
    for (RadioButton* other : group_)
      if (other != this)
        SendMessageW(other->hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---- RadioGroup

RadioGroup::RadioGroup(Form& form, int left, int top, int width, int height,
                       std::string_view caption, const std::vector<std::string>& items,
                       std::function<void()> onClick)
    : Control(form, form.NextControlId()), onClick_(std::move(onClick)) {
  CreateChild(L"BUTTON", BS_GROUPBOX, 0, left, top, width, height, caption);
  for (size_t i = 0; i < items.size(); ++i) {
    const int id = form.NextControlId();
    HWND b = CreateWindowExW(
        0, L"BUTTON", base::Widen(items[i]).c_str(),
        WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), 0, 0, 0,
        0, form.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(form.FormFont()), TRUE);
    buttons_.push_back(b);
    form.OnCommandFor(id, [this, i = static_cast<int>(i)](int code) {
      if (code == BN_CLICKED)
        ButtonClicked(i);
    });
  }
  Place();
  SetWindowSubclass(hwnd_, &RadioGroup::FrameProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void RadioGroup::Place() {
  Control::Place();
  // The items share the frame's height below its caption, one row each.
  const int n = Count();
  const int top0 = bounds_.top + 16;
  const int rowHeight = n ? (bounds_.bottom - bounds_.top - 20) / n : 0;
  for (int i = 0; i < n; ++i) {
    const int top = form_.Px(top0 + i * rowHeight), left = form_.Px(bounds_.left + 8);
    MoveWindow(buttons_[static_cast<size_t>(i)], left, top, form_.Px(bounds_.right - 8) - left,
               form_.Px(top0 + (i + 1) * rowHeight) - top, TRUE);
  }
}

LRESULT CALLBACK RadioGroup::FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR self) {
  auto* group = reinterpret_cast<RadioGroup*>(self);
  switch (msg) {
  case WM_ERASEBKGND:
    group->PaintInterior(reinterpret_cast<HDC>(wp));
    return 1;
  case WM_PAINT: {
    // Not every system asks a group box to erase before it paints.
    group->PaintInterior(base::WindowDc(h).get());
    break;
  }
  case WM_NCDESTROY:
    RemoveWindowSubclass(h, &RadioGroup::FrameProc, 0);
    break;
  default:
    break;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

void RadioGroup::PaintInterior(HDC dc) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(hwnd_)));
  if (!brush)
    return;
  base::SavedDcState saved(dc);
  // The items paint themselves; painting over them would make them flicker.
  for (HWND b : buttons_) {
    RECT r;
    GetWindowRect(b, &r);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  }
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, brush);
}

void RadioGroup::SetItemIndex(int index) {
  index = std::clamp(index, -1, Count() - 1);
  if (index == index_)
    return;
  index_ = index;
  for (int i = 0; i < Count(); ++i)
    SendMessageW(buttons_[static_cast<size_t>(i)], BM_SETCHECK,
                 i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  if (onClick_)
    onClick_();
}

void RadioGroup::ButtonClicked(int index) {
  if (SendMessageW(buttons_[static_cast<size_t>(index)], BM_GETCHECK, 0, 0) != BST_CHECKED)
    return;
  SetItemIndex(index);
}

void RadioGroup::SetEnabled(bool enabled) {
  Control::SetEnabled(enabled);
  for (HWND b : buttons_)
    EnableWindow(b, enabled ? TRUE : FALSE);
}

// ---- Memo

Memo::Memo(Form& form, int left, int top, int width, int height, std::string_view text)
    : Control(form, form.NextControlId()) {
  CreateChild(L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
              WS_EX_CLIENTEDGE, left, top, width, height, text);
  lines_.push_back(std::string(text));
}

void Memo::Clear() {
  lines_.clear();
  Refresh();
}

void Memo::Append(std::string_view line) {
  lines_.emplace_back(line);
  Refresh();
}

void Memo::SetLastLine(std::string_view line) {
  if (lines_.empty())
    lines_.emplace_back();
  lines_.back() = std::string(line);
  Refresh();
}

void Memo::Refresh() {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i)
      text += "\r\n";
    text += lines_[i];
  }
  SetText(text);
  SendMessageW(hwnd_, EM_LINESCROLL, 0, static_cast<LPARAM>(lines_.size()));
}

// ---- Edit, ComboBox

Edit::Edit(Form& form, int left, int top, int width, int height, std::string_view text)
    : Control(form, form.NextControlId()) {
  CreateChild(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, left, top, width, height,
              text);
}

ComboBox::ComboBox(Form& form, int left, int top, int width, int height,
                   const std::vector<std::string>& items)
    : Control(form, form.NextControlId()) {
  CreateChild(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, left, top, width, height,
              "");
  for (const std::string& item : items)
    SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(base::Widen(item).c_str()));
  Place();
}

int ComboBox::ItemIndex() const {
  return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
}

void ComboBox::SetItemIndex(int index) {
  SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ComboBox::Place() {
  // A combo box's window is as high as its open list; the closed box keeps the height given.
  const RECT b = bounds_;
  const int left = form_.Px(b.left), top = form_.Px(b.top);
  const int items = static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
  MoveWindow(hwnd_, left, top, form_.Px(b.right) - left, form_.Px(b.bottom - b.top) * (items + 2),
             TRUE);
  SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), form_.Px(b.bottom - b.top) - 6);
}

// ---- ListView

ListView::ListView(Form& form, int left, int top, int width, int height,
                   std::vector<Column> columns, std::function<void(int row)> onSelect)
    : Control(form, form.NextControlId()), columns_(std::move(columns)),
      onSelect_(std::move(onSelect)) {
  CreateChild(WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE, left, top, width, height, "");
  SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    std::wstring caption = base::Widen(columns_[i].caption);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    c.fmt = columns_[i].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    c.cx = form.Px(columns_[i].width);
    c.pszText = caption.data();
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&c));
  }
  form.OnNotifyFor(id_, [this](const NMHDR& header) -> LRESULT {
    if (header.code != LVN_ITEMCHANGED)
      return 0;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED) && onSelect_)
      onSelect_(change.iItem);
    return 0;
  });
}

void ListView::Clear() {
  SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
}

void ListView::AddRow(const std::vector<std::string>& cells) {
  const int row = RowCount();
  for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
    std::wstring text = base::Widen(cells[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = static_cast<int>(i);
    item.pszText = text.data();
    SendMessageW(hwnd_, i == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                 reinterpret_cast<LPARAM>(&item));
  }
}

int ListView::RowCount() const {
  return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

int ListView::Selected() const {
  return static_cast<int>(
      SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::Select(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void ListView::Place() {
  Control::Place();
  for (std::size_t i = 0; i < columns_.size(); ++i)
    SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, i, form_.Px(columns_[i].width));
}

// ---- Timer

Timer::Timer(Form& form, unsigned intervalMs, std::function<void()> onTimer)
    : form_(form), id_(static_cast<UINT_PTR>(form.NextControlId())), interval_(intervalMs) {
  form.OnTimerFor(id_, std::move(onTimer));
}

Timer::~Timer() {
  if (enabled_ && form_.Handle())
    KillTimer(form_.Handle(), id_);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  if (enabled)
    SetTimer(form_.Handle(), id_, interval_, nullptr);
  else
    KillTimer(form_.Handle(), id_);
}

} // namespace ui
