#include "chart/overlaylegend.h"

#include "base/handles.h"
#include "base/text.h"
#include "chart/overlaychart.h"

#include <algorithm>
#include <string>

namespace dynlog {

std::vector<RECT> PaintLegend(const ScalePaint& p, const RECT& trace,
                              const std::vector<ShownCurve>& curves,
                              std::optional<std::size_t> reference) {
  std::vector<RECT> rows;
  if (curves.empty())
    return rows;
  const base::SelectObjectScope font(p.dc, p.font);
  std::vector<std::wstring> texts;
  int widest = 0;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    texts.push_back(base::Widen(LegendText(curves[i], reference == i)));
    SIZE size{};
    GetTextExtentPoint32W(p.dc, texts.back().c_str(), static_cast<int>(texts.back().size()), &size);
    widest = std::max<int>(widest, size.cx);
  }
  const int row = p.Px(15), swatch = p.Px(16), pad = p.Px(4);
  const int width = std::min<int>(widest + swatch + 3 * pad, trace.right - trace.left - pad);
  const RECT box{trace.right - width - pad, trace.top + pad, trace.right - pad,
                 trace.top + pad + row * static_cast<int>(curves.size()) + 2};
  FillRect(p.dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FrameRect(p.dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  SetBkMode(p.dc, TRANSPARENT);
  SetTextColor(p.dc, RGB(0, 0, 0));
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const int top = box.top + 1 + row * static_cast<int>(i);
    const RECT r{box.left, top, box.right, top + row};
    const CurveRgb c = CurveColour(i);
    const base::Brush colour(CreateSolidBrush(RGB(c.r, c.g, c.b)));
    const int thick = reference == i ? p.Px(4) : p.Px(2);
    const RECT line{r.left + pad, (r.top + r.bottom - thick) / 2, r.left + pad + swatch,
                    (r.top + r.bottom - thick) / 2 + thick};
    FillRect(p.dc, &line, colour.get());
    RECT text{line.right + pad, r.top, r.right - pad, r.bottom};
    DrawTextW(p.dc, texts[i].c_str(), static_cast<int>(texts[i].size()), &text,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    rows.push_back(r);
  }
  return rows;
}

int LegendHeight(int dpi, std::size_t curves) {
  return MulDiv(8 + 15 * static_cast<int>(curves), dpi, 96) + 2;
}

} // namespace dynlog
