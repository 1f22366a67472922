#pragma once
// The legend of the curves laid over each other, painted into the chart's picture at the top right
// of the trace: a line of each curve's colour, its name and maximum. A click on a row marks that
// curve as the reference (the whole-test model finds the row).
#include "chart/chartpaint.h"
#include "chart/openedtests.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace dynlog {

// Paints the legend inside `trace` (client pixels) and returns each row's box, top to bottom.
std::vector<RECT> PaintLegend(const ScalePaint& p, const RECT& trace,
                              const std::vector<ShownCurve>& curves,
                              std::optional<std::size_t> reference);

// How far down from the trace's top the legend of `curves` curves reaches, in the screen's pixels.
int LegendHeight(int dpi, std::size_t curves);

} // namespace dynlog
