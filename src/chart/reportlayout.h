#pragma once
// The one-page report of a saved test: which lines it holds and where they stand on the page.
// Each line is a label and its text; the page places them in sections around the chart (head,
// chart, results, limits and verdict). No drawing here: reportpage paints the layout with GDI
// onto any device, at the device's own resolution.

#include <string>
#include <string_view>
#include <vector>

#include "base/numberformat.h"
#include "chart/tracecanvas.h"
#include "files/reader.h"

namespace dynlog {

struct ReportLine {
  std::string label, text;
};

struct ReportText {
  std::vector<ReportLine> head;    // program, file, date, unit and port, rate, the test's texts
  std::vector<ReportLine> notes;   // the comment and what the reader says: the page's full width
  std::vector<ReportLine> results; // count, duration, maximum with its time, minimum, mean, gaps
  std::vector<ReportLine> limits;  // the limits and the verdict with its reason
  std::string verdict;             // "i.O.", "n.i.O." or empty without limits
  bool failed = false;
};

// What the page says of the test read from fileName (its name as the person gave it): only what
// the file's head has, the figures with the separators given.
ReportText MakeReportText(const OpenedTest& test, std::string_view fileName,
                          const NumberSeparators& separators);

enum class ReportStyle { Title, Heading, Label, Text, Pass, Fail };

struct PlacedText {
  PixelBox box;
  std::string text;
  ReportStyle style = ReportStyle::Text;
  bool right = false; // aligned to the box's right edge
};

struct ReportPageLayout {
  int dpi = 96;
  std::vector<PlacedText> texts;
  std::vector<PixelBox> rules; // thin lines between the sections
  PixelBox chart;
  // A style's font height in pixels at the page's resolution.
  int FontHeight(ReportStyle style) const;
};

// An A4 page of width x height pixels at dpi (1240 x 1754 at 150 DPI), portrait.
ReportPageLayout LayOutReportPage(const ReportText& text, int width, int height, int dpi);

// "08.12.2026 06:00:05", as a German reader writes a date and time.
std::string GermanDateTime(const LocalTime& time);

} // namespace dynlog
