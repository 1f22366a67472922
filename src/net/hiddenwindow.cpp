#include "net/hiddenwindow.h"

namespace net {

HWND CreateHiddenWindow(const wchar_t* className, WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (!GetClassInfoW(instance, className, &existing)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (RegisterClassW(&wc) == 0)
      return nullptr;
  }
  return CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         instance, nullptr);
}

void* HiddenWindowObject(HWND window) {
  return reinterpret_cast<void*>(GetWindowLongPtrW(window, 0));
}

void SetHiddenWindowObject(HWND window, void* object) {
  SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(object));
}

} // namespace net
