#include "ui/appwindow.h"

#include "base/errorbox.h"
#include "base/text.h"

#include <stdexcept>

namespace ui {
namespace {

const wchar_t kClass[] = L"DynlogApplication";
HWND g_application = nullptr;
HWND g_mainForm = nullptr;

} // namespace

HWND ApplicationHandle() {
  return g_application;
}

ApplicationWindow::ApplicationWindow(std::string_view utf8Title) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ApplicationWindow::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    registered = true;
  }
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  hwnd_.reset(CreateWindowExW(0, kClass, base::Widen(utf8Title).c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, x,
                              y, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!hwnd_)
    throw std::runtime_error("Fenster kann nicht erzeugt werden");
  g_application = hwnd_.get();
}

void ApplicationWindow::SetMainForm(HWND mainForm) {
  g_mainForm = mainForm;
  SetWindowLongPtrW(mainForm, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Handle()));
}

LRESULT CALLBACK ApplicationWindow::WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    switch (msg) {
    case WM_ACTIVATE:
      // Clicked on the task bar: the form the user last worked in takes over.
      if (LOWORD(wp) != WA_INACTIVE && g_mainForm && IsWindowEnabled(g_mainForm)) {
        SetActiveWindow(GetLastActivePopup(g_mainForm));
        return 0;
      }
      break;
    case WM_CLOSE:
      if (g_mainForm) {
        PostMessageW(g_mainForm, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
      if (g_application == h)
        g_application = nullptr;
      g_mainForm = nullptr;
      break;
    default:
      break;
    }
  } catch (...) {
    base::ReportCurrentException();
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

} // namespace ui
