#pragma once
// Hidden windows that carry a pointer to their owning object in their per-window data. They
// receive the socket notifications and the timer ticks of the internet client.
#include <windows.h>

namespace net {

// Registers the class on first use and creates a zero-size tool pop-up window of it, without
// parent and title. Returns null when the class cannot be registered or the window not created.
HWND CreateHiddenWindow(const wchar_t* className, WNDPROC procedure);

// The object stored in the window's data, null during window creation and after clearing.
void* HiddenWindowObject(HWND window);
void SetHiddenWindowObject(HWND window, void* object);

} // namespace net
