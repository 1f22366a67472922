#include "link/portchoice.h"

#include "base/text.h"

#include <algorithm>
#include <string>

PortChoice::PortChoice(ui::Form& form, int left, int top, int width, int height,
                       std::function<void()> onChoice)
    : ui::Control(form, form.NextControlId()), onChoice_(std::move(onChoice)) {
  // The height is the open list's: a closed drop-down list is as high as its font makes it.
  CreateChild(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, left, top, width, height,
              "");
  form.OnCommandFor(Id(), [this](int code) {
    if (code == CBN_SELCHANGE && onChoice_)
      onChoice_();
  });
  SetPorts({});
}

void PortChoice::SetPorts(const std::vector<int>& ports) {
  ports_ = ports;
  SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const int port : ports_)
    SendMessageW(hwnd_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(base::Widen("COM " + std::to_string(port)).c_str()));
  SetEnabled(true);
}

int PortChoice::Port() const {
  const LRESULT i = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  return i >= 0 && static_cast<size_t>(i) < ports_.size() ? ports_[static_cast<size_t>(i)] : 0;
}

void PortChoice::SetPort(int port) {
  const auto it = std::find(ports_.begin(), ports_.end(), port);
  SendMessageW(hwnd_, CB_SETCURSEL, it == ports_.end() ? -1 : it - ports_.begin(), 0);
}

void PortChoice::SetEnabled(bool enabled) {
  ui::Control::SetEnabled(enabled && !ports_.empty());
}
