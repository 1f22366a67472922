#include "net/threadtimer.h"

#include "base/errorbox.h"
#include "net/hiddenwindow.h"

#include <stdexcept>

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TThreadTimer::TThreadTimer() {
  window_.reset(net::CreateHiddenWindow(L"TmrWindowClass", &TThreadTimer::WindowProc));
  if (!window_)
    throw std::runtime_error("Kein Zeitgeber");
  net::SetHiddenWindowObject(window_.get(), this);
}

TThreadTimer::~TThreadTimer() {
  enabled_ = false;
  KillTimer(window_.get(), kTimerId);
  net::SetHiddenWindowObject(window_.get(), nullptr);
}

void TThreadTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_)
    return;
  enabled_ = enabled;
  UpdateTimer();
}

void TThreadTimer::SetInterval(unsigned interval) {
  if (interval == interval_)
    return;
  interval_ = interval;
  UpdateTimer();
}

void TThreadTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TThreadTimer::UpdateTimer() {
  KillTimer(window_.get(), kTimerId);
  if (interval_ != 0 && enabled_ && onTimer_)
    if (SetTimer(window_.get(), kTimerId, interval_, nullptr) == 0)
      throw std::runtime_error("Kein Zeitgeber");
}

LRESULT CALLBACK TThreadTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<TThreadTimer*>(net::HiddenWindowObject(window));
  if (self == nullptr)
    return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_ACTIVATEAPP)
    return 0;
  if (message == WM_TIMER && wParam == kTimerId) {
    try {
      // A copy: the handler may replace itself or stop the clock.
      const TNotifyEvent handler = self->onTimer_;
      if (handler)
        handler(*self);
    } catch (...) {
      base::ReportCurrentException();
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
