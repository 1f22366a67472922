#pragma once
// The chart of a saved test painted with GDI onto any device: a bitmap for a PNG or the
// clipboard, an enhanced metafile, a printer's page. White paper, the scales in the program's
// style and number format, the limits as red lines, the trace in the chart's blue.
#include "base/dibsection.h"
#include "base/numberformat.h"
#include "chart/savedchart.h"
#include "files/reader.h"

#include <windows.h>

namespace dynlog {

inline constexpr COLORREF kTestTraceColour = RGB(0, 0, 255);
inline constexpr COLORREF kLimitColour = RGB(220, 0, 0);

// The chart alone as a picture: 8 x 4,5 inches at 150 DPI.
inline constexpr int kPictureDpi = 150;
inline constexpr int kPictureWidth = 1200;
inline constexpr int kPictureHeight = 675;

// Paints the test's chart into `area` of dc, at dpi pixels per inch; returns its layout, in the
// area's own coordinates (its top left corner at 0, 0).
TestChartLayout PaintTestChart(HDC dc, const RECT& area, int dpi, const OpenedTest& test,
                               const NumberSeparators& separators);

// The chart alone in a new bitmap of kPictureWidth x kPictureHeight. Throws std::runtime_error
// with a German text when the system cannot make the bitmap.
base::MemoryBitmap RenderTestPicture(const OpenedTest& test, const NumberSeparators& separators);

} // namespace dynlog
