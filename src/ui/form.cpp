#include "ui/form.h"

#include "base/errorbox.h"
#include "base/messageloop.h"
#include "base/text.h"
#include "ui/appwindow.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/placement.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include <stdexcept>

namespace ui {
namespace {

const wchar_t kFormClass[] = L"DynlogForm";
const wchar_t kOwnDcFormClass[] = L"DynlogOwnDcForm";

struct EnabledWindows {
  HWND self;
  std::vector<HWND> list;
};

struct FontSwap {
  HFONT from, to;
};

BOOL CALLBACK SwapFont(HWND child, LPARAM p) {
  const auto* swap = reinterpret_cast<const FontSwap*>(p);
  if (reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) == swap->from)
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(swap->to), TRUE);
  return TRUE;
}

// Sent by Windows 8.1 and later; the headers declare it only for programs that need those.
constexpr UINT kDpiChanged = 0x02E0;

BOOL CALLBACK CollectEnabledWindow(HWND w, LPARAM p) {
  auto* walk = reinterpret_cast<EnabledWindows*>(p);
  if (w != walk->self && IsWindowVisible(w) && IsWindowEnabled(w))
    walk->list.push_back(w);
  return TRUE;
}

} // namespace

Form::Form(const FormStyle& style) {
  const wchar_t* formClass = RegisterFormClass(style.ownDc);
  DWORD ws = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (style.sizeable)
    ws |= WS_THICKFRAME;
  if (style.minMaxBoxes)
    ws |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const DWORD ex = style.sizeable ? 0 : WS_EX_DLGMODALFRAME;
  // Sized for the primary screen, where a new window opens; another screen's DPI follows below.
  dpi_ = SystemDpi();
  const auto outerSize = [&] {
    RECT r{0, 0, Px(style.width), Px(style.height)};
    if (style.clientSize)
      AdjustWindowRectEx(&r, ws, FALSE, ex);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  const SIZE size = outerSize();
  HWND h = CreateWindowExW(ex, formClass, base::Widen(style.caption).c_str(), ws, CW_USEDEFAULT,
                           CW_USEDEFAULT, size.cx, size.cy, style.owner, nullptr,
                           GetModuleHandleW(nullptr), this);
  if (!h)
    throw std::runtime_error("Fenster kann nicht erzeugt werden");
  hwnd_.reset(h);
  if (const int dpi = WindowDpi(h); dpi != dpi_) {
    dpi_ = dpi;
    const SIZE scaled = outerSize();
    SetWindowPos(h, nullptr, 0, 0, scaled.cx, scaled.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  formFont_ = &AddFont(style.fontFace, style.fontHeight);
  minSize_ = {style.minWidth, style.minHeight};
  if (!style.sizeable) {
    // Fixed dialogs: only the close box in the title bar.
    HMENU menu = GetSystemMenu(h, FALSE);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
  }
  SetBackground(style.background);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, h, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  CenterOnScreen();
}

int Form::Px(int logical) const {
  return ScaleTo(logical, dpi_);
}

int Form::Logical(int pixels) const {
  return ScaleFrom(pixels, dpi_);
}

SIZE Form::LogicalClientSize() const {
  RECT client;
  GetClientRect(Handle(), &client);
  return {client.right * 96 / dpi_, client.bottom * 96 / dpi_};
}

ScaledFont& Form::AddFont(const wchar_t* face, int height, bool bold, BYTE charset) {
  ScaledFont& font = fonts_.emplace_back();
  font.face_ = face;
  font.height_ = height;
  font.bold_ = bold;
  font.charset_ = charset;
  MakeFont(font);
  return font;
}

void Form::MakeFont(ScaledFont& font) {
  font.font_ = ui::MakeFont(font.face_.c_str(), Px(font.height_), font.bold_, font.charset_);
}

void Form::SetFontHeight(ScaledFont& font, int height) {
  if (font.height_ == height)
    return;
  font.height_ = height;
  base::Font old = std::move(font.font_);
  MakeFont(font);
  HandFontOn(old.get(), font.get());
}

void Form::HandFontOn(HFONT from, HFONT to) {
  // Every child window, the radio groups' items too, asked which font it has.
  FontSwap swap{from, to};
  EnumChildWindows(Handle(), &SwapFont, reinterpret_cast<LPARAM>(&swap));
}

void Form::UnregisterControl(Control* control) {
  std::erase(controls_, control);
}

void Form::ApplyDpi(int dpi, const RECT* suggested) {
  if (dpi <= 0 || dpi == dpi_)
    return;
  dpi_ = dpi;
  for (ScaledFont& font : fonts_) {
    base::Font old = std::move(font.font_);
    MakeFont(font);
    HandFontOn(old.get(), font.get());
  }
  for (Control* control : controls_)
    control->Place();
  FormDpiChanged();
  if (suggested)
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  FormResize();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Form::~Form() {
  // The window outlives nothing of this object: detach it before it is destroyed.
  if (hwnd_)
    SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
}

const wchar_t* Form::RegisterFormClass(bool ownDc) {
  static bool done = false;
  if (!done) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Form::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    wc.hbrBackground = nullptr; // the form paints its own background
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpszClassName = kOwnDcFormClass;
    RegisterClassExW(&wc);
    done = true;
  }
  return ownDc ? kOwnDcFormClass : kFormClass;
}

void Form::Show(int command) {
  if (!Visible()) {
    try {
      FormShow();
    } catch (...) {
      base::ReportCurrentException();
    }
  }
  ShowWindow(Handle(), command);
  UpdateWindow(Handle());
}

void Form::Hide() {
  ShowWindow(Handle(), SW_HIDE);
}

bool Form::Visible() const {
  return IsWindowVisible(Handle()) != FALSE;
}

int Form::ShowModal() {
  // Disable every other enabled top-level window of the program, as a modal form must.
  EnabledWindows walk{Handle(), {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&walk));
  const std::vector<HWND>& disabled = walk.list;
  for (HWND w : disabled)
    EnableWindow(w, FALSE);
  HWND previous = GetActiveWindow();
  modal_ = true;
  modalResult_ = mrNone;
  Show();
  SetForegroundWindow(Handle());
  // Until the form is closed, however that happens, or the program quits.
  base::WaitFor(
      base::kNoDeadline,
      [this] {
        if (!Visible() && modalResult_ == mrNone)
          modalResult_ = mrCancel;
        return modalResult_ != mrNone;
      },
      true);
  for (HWND w : disabled)
    EnableWindow(w, TRUE);
  Hide();
  modal_ = false;
  if (previous && IsWindow(previous))
    SetActiveWindow(previous);
  return modalResult_ == mrNone ? mrCancel : modalResult_;
}

void Form::Close() {
  SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form::SetBackground(COLORREF colour) {
  backgroundColour_ = colour;
  background_.reset(CreateSolidBrush(Background()));
  // The children take the form's colour too (radio buttons, group boxes), and the form clips
  // them: they must be repainted with it.
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

COLORREF Form::Background() const {
  return backgroundColour_ == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : backgroundColour_;
}

void Form::CenterOnScreen() {
  RECT r;
  GetWindowRect(Handle(), &r);
  const RECT work = WorkAreaOf(Handle());
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
               work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KeepInWorkArea(Handle());
}

void Form::CenterOver(HWND other) {
  RECT r, o;
  GetWindowRect(Handle(), &r);
  GetWindowRect(other, &o);
  SetWindowPos(Handle(), nullptr, o.left + ((o.right - o.left) - (r.right - r.left)) / 2,
               o.top + ((o.bottom - o.top) - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Centred over a small window near the screen's edge, a large one would stick out of it.
  KeepInWorkArea(Handle());
}

void Form::SetOuterSize(int width, int height) {
  SetWindowPos(Handle(), nullptr, 0, 0, Px(width), Px(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A window that grows downwards must not grow out of the screen.
  KeepInWorkArea(Handle());
}

SIZE Form::OuterSize() const {
  RECT r;
  GetWindowRect(Handle(), &r);
  return {Logical(r.right - r.left), Logical(r.bottom - r.top)};
}

void Form::SetHint(HWND control, std::string_view utf8Hint) {
  if (!tooltip_)
    return;
  std::wstring text = base::Widen(utf8Hint);
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = Handle();
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = text.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HBRUSH Form::LabelBrush(HWND control, HDC dc, bool& handled) {
  for (Label* label : labels_) {
    if (label->Handle() == control) {
      handled = true;
      return label->Paint(dc, background_.get());
    }
  }
  handled = false;
  return nullptr;
}

LRESULT CALLBACK Form::WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  // Messages sent while CreateWindowEx runs arrive before the form knows its handle.
  if (!self || !self->hwnd_)
    return DefWindowProcW(h, msg, wp, lp);
  try {
    if (msg != WM_NCDESTROY)
      return self->Dispatch(h, msg, wp, lp);
    // The window's last message: afterwards the form holds no handle of a window that is gone,
    // however it went (closed, or destroyed with its owner).
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    base::ScopeExit forget{[self] {
      self->hwnd_.release();
      self->tooltip_ = nullptr;
    }};
    return self->Dispatch(h, msg, wp, lp);
  } catch (...) {
    base::ReportCurrentException();
    return 0;
  }
}

void Form::Post(std::function<void()> task) {
  posted_.push_back(std::move(task));
  PostMessageW(Handle(), kRunPosted, 0, 0);
}

LRESULT Form::Dispatch(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case kRunPosted: {
    if (posted_.empty())
      return 0;
    const std::function<void()> task = std::move(posted_.front());
    posted_.pop_front();
    task();
    return 0;
  }
  case WM_COMMAND: {
    const int id = LOWORD(wp);
    auto it = commands_.find(id);
    if (it != commands_.end()) {
      auto handler = it->second; // a handler may replace the map entry while it runs
      handler(HIWORD(wp));
      return 0;
    }
    // Esc on a control: the dialog manager makes it IDCANCEL.
    if (id == IDCANCEL && lp == 0) {
      FormEscape();
      return 0;
    }
    break;
  }
  case WM_NOTIFY: {
    const auto& header = *reinterpret_cast<const NMHDR*>(lp);
    auto it = notifies_.find(static_cast<int>(header.idFrom));
    if (it != notifies_.end()) {
      auto handler = it->second;
      return handler(header);
    }
    break;
  }
  case WM_KEYDOWN:
    if (wp == VK_ESCAPE) {
      FormEscape();
      return 0;
    }
    break;
  case base::kPreviewKey:
    return GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 && FormKey(wp) ? 1 : 0;
  case WM_MOUSEMOVE:
    FormMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    return 0;
  case WM_LBUTTONDOWN:
    SetCapture(h);
    FormMouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    return 0;
  case WM_LBUTTONUP:
    if (GetCapture() == h)
      ReleaseCapture();
    FormMouseUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    return 0;
  case WM_LBUTTONDBLCLK:
    FormDoubleClick(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    return 0;
  case WM_DROPFILES: {
    const auto drop = reinterpret_cast<HDROP>(wp);
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
      paths.push_back(base::Narrow(path));
    }
    DragFinish(drop);
    FormFilesDropped(paths);
    return 0;
  }
  case WM_GETMINMAXINFO:
    if (minSize_.cx > 0 || minSize_.cy > 0) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize = {std::max<LONG>(info->ptMinTrackSize.x, Px(minSize_.cx)),
                              std::max<LONG>(info->ptMinTrackSize.y, Px(minSize_.cy))};
      return 0;
    }
    break;
  case WM_WINDOWPOSCHANGING: {
    // The default handling keeps the window at the minimum above, but under Wine a window
    // manager sizes the X window as it likes (Wine gives a sizeable window no minimum size hint)
    // and Wine, following it, does not pass the size it kept back on to X: the window would look
    // cut. Once that move is over the size is given to X again.
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
    if (!(pos->flags & SWP_NOSIZE) && (pos->cx < Px(minSize_.cx) || pos->cy < Px(minSize_.cy)))
      PostMessageW(h, kShowMinimumSize, 0, 0);
    break;
  }
  case kShowMinimumSize: {
    RECT r;
    if (IsIconic(h) || IsZoomed(h) || !GetWindowRect(h, &r))
      return 0;
    // Wine tells X only a size that differs from the one it holds: one pixel more, then back.
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    const LONG width = std::max<LONG>(r.right - r.left, Px(minSize_.cx));
    const LONG height = std::max<LONG>(r.bottom - r.top, Px(minSize_.cy));
    SetWindowPos(h, nullptr, 0, 0, width + 1, height, flags);
    SetWindowPos(h, nullptr, 0, 0, width, height, flags);
    return 0;
  }
  case WM_TIMER: {
    auto it = timers_.find(wp);
    if (it != timers_.end()) {
      auto handler = it->second;
      handler();
      return 0;
    }
    break;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN: {
    bool handled = false;
    HBRUSH brush = LabelBrush(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp), handled);
    if (handled)
      return reinterpret_cast<LRESULT>(brush);
    // Radio buttons, check boxes and group boxes sit on the form's background.
    SetBkColor(reinterpret_cast<HDC>(wp), Background());
    return reinterpret_cast<LRESULT>(background_.get());
  }
  case WM_ERASEBKGND: {
    RECT rc;
    GetClientRect(Handle(), &rc);
    FillRect(reinterpret_cast<HDC>(wp), &rc, background_.get());
    return 1;
  }
  case WM_PAINT: {
    base::PaintDc paint(Handle());
    FormPaint(paint.get(), paint.area());
    return 0;
  }
  case WM_PRINTCLIENT: {
    // Paints into a given DC: pictures of the window (the children print themselves).
    HDC dc = reinterpret_cast<HDC>(wp);
    RECT rc;
    GetClientRect(Handle(), &rc);
    FillRect(dc, &rc, background_.get());
    FormPaint(dc, rc);
    return 0;
  }
  case WM_SIZE:
    FormResize();
    return 0;
  case kDpiChanged:
    // Moved to a screen of another scale (or the scale was changed): the suggested rectangle
    // keeps the window's logical size there.
    ApplyDpi(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
    return 0;
  case WM_SYSCOMMAND:
    // The main form's minimise box minimises the application window, which hides every form and
    // keeps the task bar button.
    if (mainForm_ && (wp & 0xFFF0) == SC_MINIMIZE && ApplicationHandle()) {
      ShowWindow(ApplicationHandle(), SW_MINIMIZE);
      return 0;
    }
    break;
  case WM_CLOSE:
    if (!FormCloseQuery())
      return 0;
    FormClose();
    if (mainForm_) {
      hwnd_.reset(); // destroys the window
    } else {
      if (modal_ && modalResult_ == mrNone)
        modalResult_ = mrCancel;
      Hide();
    }
    return 0;
  case WM_DESTROY:
    if (mainForm_)
      PostQuitMessage(0);
    return 0;
  default:
    break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

} // namespace ui
