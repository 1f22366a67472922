#include "window/csvfile.h"

#include "window/chartscale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#ifndef DYNLOG_PROGRAM_VERSION
#error "DYNLOG_PROGRAM_VERSION: the project's version, set by the build"
#endif

namespace dynlog {
namespace {

constexpr std::string_view kCsvLineEnd = "\r\n";

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

void HeadLine(std::string& text, std::string_view name, std::string_view value) {
  text += "# ";
  text += name;
  text += ';';
  text += value;
  text += kCsvLineEnd;
}

} // namespace

std::string CleanField(std::string_view text) {
  // Text from the unit or a person stays on its line and out of the columns.
  std::string clean;
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= ' ' && c != ';')
      clean += c;
  while (!clean.empty() && clean.back() == ' ')
    clean.pop_back();
  return clean;
}

std::string_view ProgramNameAndVersion() {
  return "dynlog.exe " DYNLOG_PROGRAM_VERSION;
}

LocalTime AddSeconds(const LocalTime& t, double seconds) {
  const long long total = DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL +
                          t.minute * 60LL + t.second + std::llround(seconds);
  const long long days = (total >= 0 ? total : total - 86399) / 86400;
  const long long inDay = total - days * 86400;
  LocalTime later = t;
  CivilFromDays(days, later.year, later.month, later.day);
  later.hour = static_cast<int>(inDay / 3600);
  later.minute = static_cast<int>(inDay / 60 % 60);
  later.second = static_cast<int>(inDay % 60);
  return later;
}

std::string Iso8601(const LocalTime& t) {
  const int offset = std::abs(t.utcOffsetMinutes);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return text;
}

std::string CsvHeadText(const CsvHead& head, const NumberSeparators& separators) {
  std::string text(kUtf8ByteOrderMark);
  const auto line = [&](std::string_view name, std::string_view value) {
    HeadLine(text, name, value);
  };
  const NumberSeparators plain{separators.decimal, ""};
  const auto limit = [&](const std::optional<double>& value) {
    return value ? ForceFigure(*value, head.decimalPlaces, plain) : std::string();
  };
  line("Start", Iso8601(head.start));
  line("Programm", ProgramNameAndVersion());
  std::string rate;
  AppendSeconds(rate, head.valuesPerSecond, TimeDecimals(1.0 / head.valuesPerSecond), separators);
  line("Werte pro Sekunde", rate);
  line("Mittelung", head.averaging ? "ja" : "nein");
  line("Dezimalstellen", std::to_string(head.decimalPlaces));
  line("Gerät", CleanField(head.identification));
  line("Schnittstelle", CleanField(head.port));
  line("Einheit", UnitSymbol(head.test.unit));
  const TestTrace& trace = head.test.trace;
  line("Pr\xC3\xBC"
       "fling",
       CleanField(trace.part));
  line("Pr\xC3\xBC"
       "fer",
       CleanField(trace.tester));
  line("Auftrag", CleanField(trace.order));
  line("Bemerkung", CleanField(trace.comment));
  line("Untergrenze", limit(head.test.limits.lower));
  line("Obergrenze", limit(head.test.limits.upper));
  if (!head.startCondition.empty()) {
    line("Startbedingung", CleanField(head.startCondition));
    std::string pre;
    AppendSeconds(pre, head.preSeconds, TimeDecimals(head.valuesPerSecond), plain);
    line("Vorlauf in s", pre);
  }
  if (head.zeroOffset)
    line("Nullpunkt", ForceFigure(*head.zeroOffset, head.decimalPlaces, plain));
  if (head.summary)
    text += CsvSummaryText(head, *head.summary, separators);
  text += "Zeit in s;";
  text += ForceColumnName(head.test.unit);
  for (const std::string_view lamp : kLampNames) {
    text += ';';
    text += lamp;
  }
  text += kCsvLineEnd;
  return text;
}

std::string CsvSummaryText(const CsvHead& head, const CsvSummary& summary,
                           const NumberSeparators& separators) {
  const NumberSeparators plain{separators.decimal, ""};
  const TestResults& r = summary.results;
  const auto figure = [&](float value) {
    return FormatNumber(value, head.decimalPlaces, kFileSignificantDigits, plain);
  };
  std::string text;
  HeadLine(text, "Ende", Iso8601(summary.end));
  HeadLine(text, "Werte", std::to_string(r.Count()));
  if (r.Count() > 0) {
    std::string duration;
    AppendSeconds(duration, r.Duration(head.valuesPerSecond), TimeDecimals(head.valuesPerSecond),
                  plain);
    HeadLine(text, "Dauer in s", duration);
    HeadLine(text, "Maximum", figure(r.Max()));
    HeadLine(text, "Minimum", figure(r.Min()));
    HeadLine(text, "Mittelwert", figure(static_cast<float>(r.Mean())));
  }
  if (summary.verdict.outcome != VerdictOutcome::None)
    HeadLine(text, "Urteil", VerdictText(summary.verdict));
  if (summary.verdict.Failed())
    HeadLine(text, "Grund",
             VerdictReason(summary.verdict, head.decimalPlaces, head.test.unit, plain));
  if (!summary.endedBy.empty())
    HeadLine(text, "Ende durch", CleanField(summary.endedBy));
  return text;
}

CsvLines::CsvLines(double valuesPerSecond, int decimalPlaces, const NumberSeparators& separators)
    : decimalPlaces_(decimalPlaces),
      timeDecimals_(TimeDecimals(valuesPerSecond)), plain_{separators.decimal, ""} {}

void CsvLines::Append(std::string& out, float value, double seconds, Lamps lamps) {
  AppendSeconds(out, seconds, timeDecimals_, plain_);
  out += ';';
  AppendNumber(out, value, decimalPlaces_, kFileSignificantDigits, plain_);
  for (int i = 0; i < km470::kIndicatorCount; ++i) {
    out += ';';
    out += static_cast<char>('0' + ((lamps >> i) & 1));
  }
  out += kCsvLineEnd;
}

std::string BuildCsvFile(const CsvHead& head, const ValueSeries& series,
                         const NumberSeparators& separators) {
  std::string text = CsvHeadText(head, separators);
  text.reserve(text.size() + series.values.size() * 32);
  CsvLines lines(head.valuesPerSecond, head.decimalPlaces, separators);
  for (std::size_t i = 0; i < series.values.size(); ++i)
    lines.Append(text, series.values[i], series.secondsOf(i),
                 i < series.lamps.size() ? series.lamps[i] : Lamps{0});
  return text;
}

std::optional<double> CsvFigure(std::string_view text, int* decimals) {
  std::string normal(text);
  const std::size_t separator = normal.find_first_of(",.");
  if (separator != std::string::npos)
    normal[separator] = '.';
  if (decimals)
    *decimals =
        separator == std::string::npos ? 0 : static_cast<int>(normal.size() - separator - 1);
  if (normal.empty() || normal.find_first_not_of("+-.0123456789") != std::string::npos)
    return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(normal.c_str(), &end);
  if (end != normal.c_str() + normal.size())
    return std::nullopt;
  return value;
}

CsvTest ReadCsvTest(std::string_view bytes) {
  CsvTest test;
  if (bytes.starts_with(kUtf8ByteOrderMark))
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
  bool inValues = false;
  for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos;
       bytes.remove_prefix(end + 1)) {
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (line.starts_with("# Einheit;"))
      test.unit = ForceUnitFromText(line.substr(10)).value_or(ForceUnit::None);
    else if (line.starts_with("# Dezimalstellen;"))
      test.decimalPlaces = static_cast<int>(CsvFigure(line.substr(17)).value_or(0));
    else if (line.starts_with("Zeit in s;"))
      inValues = true;
    if (!inValues || line.starts_with("Zeit in s;"))
      continue;
    const std::size_t first = line.find(';');
    const std::size_t second = line.find(';', first + 1);
    const auto seconds = CsvFigure(line.substr(0, first));
    const auto value = first == std::string_view::npos
                           ? std::nullopt
                           : CsvFigure(line.substr(first + 1, second - first - 1));
    if (!seconds || !value)
      break;
    Lamps lamps = 0;
    if (second != std::string_view::npos)
      for (std::size_t i = second + 1, bit = 0; i < line.size() && bit < 8; i += 2, ++bit)
        lamps |= static_cast<Lamps>((line[i] == '1') << bit);
    test.seconds.push_back(*seconds);
    test.values.push_back(static_cast<float>(*value));
    test.lamps.push_back(lamps);
  }
  return test;
}

bool IsCsvName(std::string_view name) {
  if (name.size() < 4)
    return false;
  const std::string_view end = name.substr(name.size() - 4);
  return end[0] == '.' && (end[1] | 0x20) == 'c' && (end[2] | 0x20) == 's' &&
         (end[3] | 0x20) == 'v';
}

} // namespace dynlog
