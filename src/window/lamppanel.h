#pragma once
// The six lamps of the measurement window. Each frame's status byte switches some of them (the
// unit pages between the limits and gross/net/overload); up to 16 frames arrive per tick, and the
// screen takes the state after the last of them, as it could not show the ones before anyway.
#include "link/km470protocol.h"
#include "ui/controls.h"

#include <array>
#include <cstdint>

class LampPanel {
public:
  // The labels in km470::Indicator's order; all dark at first.
  explicit LampPanel(std::array<ui::Label*, km470::kIndicatorCount> labels);

  // A frame's status byte: the lamps it switches.
  void Take(std::uint8_t status);
  // The labels take the lamps' colours.
  void Show();
  ui::Label& Label(km470::Indicator which) {
    return *labels_[static_cast<std::size_t>(which) % labels_.size()];
  }

private:
  std::array<ui::Label*, km470::kIndicatorCount> labels_;
  std::array<COLORREF, km470::kIndicatorCount> colours_;
};
