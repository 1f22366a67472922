#pragma once
// The one-page report of a saved test painted with GDI onto any device: a bitmap for a PNG, a
// printer's page. What it says and where is laid out in reportlayout; the chart is
// savedchartpicture's.
#include "base/dibsection.h"
#include "base/numberformat.h"
#include "chart/reportlayout.h"
#include "files/reader.h"

#include <windows.h>

#include <string_view>

namespace dynlog {

// A4 portrait at 150 DPI.
inline constexpr int kReportDpi = 150;
inline constexpr int kReportWidth = 1240;
inline constexpr int kReportHeight = 1754;

// Paints the report of the test read from fileName onto dc, a page of width x height pixels at
// dpi from dc's origin; returns its layout.
ReportPageLayout PaintReportPage(HDC dc, int width, int height, int dpi, const OpenedTest& test,
                                 std::string_view fileName, const NumberSeparators& separators);

// The page in a new bitmap of kReportWidth x kReportHeight. Throws std::runtime_error with a
// German text when the system cannot make the bitmap.
base::MemoryBitmap RenderReportPage(const OpenedTest& test, std::string_view fileName,
                                    const NumberSeparators& separators);

} // namespace dynlog
