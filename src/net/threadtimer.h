#pragma once
// The time-out clock of a socket connection: a window timer on the creating thread (no thread of
// its own despite the name), ticking on a hidden window.
#include "base/handles.h"

#include <windows.h>

#include <functional>

class TThreadTimer {
public:
  using TNotifyEvent = std::function<void(TThreadTimer& sender)>;

  // Raises std::runtime_error "Kein Zeitgeber" when its window cannot be made.
  TThreadTimer();
  ~TThreadTimer();
  TThreadTimer(const TThreadTimer&) = delete;
  TThreadTimer& operator=(const TThreadTimer&) = delete;

  bool Enabled() const { return enabled_; }
  unsigned Interval() const { return interval_; }
  const TNotifyEvent& OnTimer() const { return onTimer_; }

  // Setting Enabled or Interval to the value it has does nothing, so a running countdown is not
  // restarted. Raise "Kein Zeitgeber" when no system timer can be set.
  void SetEnabled(bool enabled);
  void SetInterval(unsigned interval);
  void SetOnTimer(TNotifyEvent handler);

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateTimer();

  base::UniqueWindow window_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
  TNotifyEvent onTimer_;
};
