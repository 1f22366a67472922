#include "chart/reportlayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "chart/chartscale.h"
#include "files/csvfile.h"
#include "test/forceunit.h"
#include "test/results.h"
#include "test/verdict.h"

namespace dynlog {
namespace {

void AddIfGiven(std::vector<ReportLine>& lines, std::string label, std::string text) {
  if (!text.empty())
    lines.push_back({std::move(label), std::move(text)});
}

// "Werte: 1.234\r\nDauer: ..." as label and text, one line each.
std::vector<ReportLine> SplitLines(const std::string& report) {
  std::vector<ReportLine> lines;
  for (std::size_t at = 0; at < report.size();) {
    std::size_t end = report.find("\r\n", at);
    if (end == std::string::npos)
      end = report.size();
    const std::string line = report.substr(at, end - at);
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos)
      lines.push_back({line.substr(0, colon), line.substr(colon + 2)});
    at = end + 2;
  }
  return lines;
}

} // namespace

std::string GermanDateTime(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour,
                t.minute, t.second);
  return text;
}

ReportText MakeReportText(const OpenedTest& test, std::string_view fileName,
                          const NumberSeparators& separators) {
  const CsvHead& head = test.head;
  const ForceUnit unit = head.test.unit;
  ReportText out;
  auto& lines = out.head;
  AddIfGiven(lines, "Programm", std::string(ProgramNameAndVersion()));
  AddIfGiven(lines, "Datei", std::string(fileName));
  AddIfGiven(lines, "Datum", head.start.year != 0 ? GermanDateTime(head.start) : test.created);
  AddIfGiven(lines, "Gerät", head.identification);
  AddIfGiven(lines, "Schnittstelle", head.port);
  AddIfGiven(lines, "Einheit", std::string(UnitSymbol(unit)));
  if (head.valuesPerSecond > 0)
    lines.push_back(
        {"Messrate", FormatNumber(head.valuesPerSecond, TimeDecimals(1.0 / head.valuesPerSecond),
                                  30, {separators.decimal, ""}) +
                         " Werte/s" + (head.averaging ? ", gemittelt" : "")});
  AddIfGiven(lines, "Prüfling", head.test.trace.part);
  AddIfGiven(lines, "Prüfer", head.test.trace.tester);
  AddIfGiven(lines, "Auftrag", head.test.trace.order);
  AddIfGiven(out.notes, "Bemerkung", head.test.trace.comment);
  if (test.timesFromRate && head.valuesPerSecond > 0)
    out.notes.push_back({"Zeiten", TimesFromRateText(head.valuesPerSecond, separators)});
  if (test.unread)
    out.notes.push_back({"Gelesen bis", UnreadLineText(*test.unread)});

  const TestValues& values = test.values;
  const TestResults results = head.summary ? head.summary->results : values.Results();
  const double rate = head.valuesPerSecond > 0 ? head.valuesPerSecond : 1;
  // What the times went on by beyond the rate's clock: the pauses of the unit's stream.
  GapSummary gaps{values.Gaps(), 0};
  if (results.Count() > 0)
    gaps.seconds = std::max(0.0, results.LastSeconds() + 1 / rate -
                                     static_cast<double>(results.Count()) / rate);
  out.results = SplitLines(ResultsReport(results,
                                         {rate, head.decimalPlaces, separators, unit,
                                          head.summary ? head.summary->peakFramesPerSecond : 0},
                                         gaps));

  const ForceLimits& limits = head.test.limits;
  const auto figure = [&](double v) {
    return WithUnit(ForceFigure(v, head.decimalPlaces, separators), unit);
  };
  if (!limits.Any())
    out.limits.push_back({"Grenzen", "keine"});
  if (limits.lower)
    out.limits.push_back({"Untergrenze", figure(*limits.lower)});
  if (limits.upper)
    out.limits.push_back({"Obergrenze", figure(*limits.upper)});
  if (head.summary) {
    const Verdict& verdict = head.summary->verdict;
    out.verdict = std::string(VerdictText(verdict));
    out.failed = verdict.Failed();
    AddIfGiven(out.limits, "Urteil", out.verdict);
    AddIfGiven(out.limits, "Grund", VerdictReason(verdict, head.decimalPlaces, unit, separators));
  }
  return out;
}

int ReportPageLayout::FontHeight(ReportStyle style) const {
  const int points =
      style == ReportStyle::Title || style == ReportStyle::Pass || style == ReportStyle::Fail
          ? 18
          : (style == ReportStyle::Heading ? 11 : 10);
  return points * dpi / 72;
}

ReportPageLayout LayOutReportPage(const ReportText& text, int width, int height, int dpi) {
  ReportPageLayout page;
  page.dpi = dpi;
  const auto mm = [dpi](double millimetres) {
    return static_cast<int>(std::lround(millimetres * dpi / 25.4));
  };
  const int left = mm(20), right = width - mm(20), bottom = height - mm(15);
  const int line = page.FontHeight(ReportStyle::Text) * 3 / 2;
  const int headingLine = page.FontHeight(ReportStyle::Heading) * 2;
  const int ruleWidth = std::max(1, dpi / 96);
  int y = mm(15);
  const auto place = [&](PixelBox box, std::string s, ReportStyle style, bool right = false) {
    page.texts.push_back({box, std::move(s), style, right});
  };
  const auto heading = [&](int from, int to, const char* title) {
    place({from, y, to, y + headingLine}, title, ReportStyle::Heading);
  };
  // Label and text beside each other, in `columns` columns of [from, to), filled top to bottom.
  const auto table = [&](const std::vector<ReportLine>& lines, int from, int to, int columns) {
    const int rows = static_cast<int>((lines.size() + columns - 1) / columns);
    const int columnWidth = (to - from) / columns, labelWidth = mm(30);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const int x = from + static_cast<int>(i) / rows * columnWidth;
      const int top = y + static_cast<int>(i) % rows * line;
      place({x, top, x + labelWidth, top + line}, lines[i].label, ReportStyle::Label);
      place({x + labelWidth, top, x + columnWidth - mm(2), top + line}, lines[i].text,
            ReportStyle::Text);
    }
    return rows * line;
  };

  const int titleLine = page.FontHeight(ReportStyle::Title) * 3 / 2;
  place({left, y, right, y + titleLine}, "Prüfbericht", ReportStyle::Title);
  if (!text.verdict.empty())
    place({left, y, right, y + titleLine}, text.verdict,
          text.failed ? ReportStyle::Fail : ReportStyle::Pass, true);
  y += titleLine;
  page.rules.push_back({left, y, right, y + ruleWidth});
  y += mm(3);
  heading(left, right, "Prüfung");
  y += headingLine;
  y += table(text.head, left, right, 2);
  y += table(text.notes, left, right, 1) + mm(4);

  heading(left, right, "Verlauf");
  y += headingLine;
  // The chart takes what the figures below leave, up to a height that keeps it wider than high.
  const int middle = (left + right) / 2;
  const int figures =
      headingLine + static_cast<int>(std::max(text.results.size(), text.limits.size())) * line;
  const int chartHeight = std::clamp(bottom - figures - mm(6) - y, mm(40), mm(140));
  page.chart = {left, y, right, y + chartHeight};
  y += chartHeight + mm(6);
  page.rules.push_back({left, y - mm(3), right, y - mm(3) + ruleWidth});

  heading(left, middle, "Ergebnisse");
  heading(middle, right, "Grenzen und Urteil");
  y += headingLine;
  table(text.results, left, middle, 1);
  table(text.limits, middle, right, 1);
  return page;
}

} // namespace dynlog
