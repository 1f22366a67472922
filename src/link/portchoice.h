#pragma once
// The search dialog's drop-down list of the ports above COM4 the system lists ("COM 7").
#include "ui/controls.h"

#include <functional>
#include <vector>

class PortChoice : public ui::Control {
public:
  // onChoice runs when the user picks a port, not when the program selects one.
  PortChoice(ui::Form& form, int left, int top, int width, int height,
             std::function<void()> onChoice);
  // The ports offered, in this order, none selected; disabled while there is none.
  void SetPorts(const std::vector<int>& ports);
  const std::vector<int>& Ports() const { return ports_; }
  // The selected port; 0 when none is.
  int Port() const;
  // Selects the port; 0, or a port not offered, selects none.
  void SetPort(int port);
  void SetEnabled(bool enabled) override;

private:
  std::vector<int> ports_;
  std::function<void()> onChoice_;
};
