#include "files/seriestable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dynlog {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kColumns =
    "Nr;Start;Prüfling;Maximum;Minimum;Mittelwert;Einheit;Dauer in "
    "s;Urteil;Grund;Datei";
constexpr int kFields = 11;

const NumberSeparators kPlain{".", ""};

std::optional<LocalTime> TimeOf(std::string_view text) {
  LocalTime t;
  int offsetHours = 0, offsetMinutes = 0;
  char sign = 0;
  const std::string s(text);
  if (s.size() != 25 ||
      std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d", &t.year, &t.month, &t.day, &t.hour,
                  &t.minute, &t.second, &sign, &offsetHours, &offsetMinutes) != 9 ||
      (sign != '+' && sign != '-'))
    return std::nullopt;
  t.utcOffsetMinutes = (sign == '-' ? -1 : 1) * (offsetHours * 60 + offsetMinutes);
  return t;
}

std::optional<SeriesRow> RowOfLine(std::string_view line) {
  auto fields = CsvFields(line).value_or(std::vector<std::string>{});
  if (fields.empty()) { // a row from before texts were quoted, a quote in its text as it stands
    for (std::size_t from = 0, to = 0; to != std::string_view::npos; from = to + 1) {
      to = line.find(';', from);
      fields.emplace_back(line.substr(from, to - from));
    }
  }
  if (fields.size() != kFields)
    return std::nullopt;
  SeriesRow row;
  const auto number = CsvFigure(fields[0]);
  const auto start = TimeOf(fields[1]);
  const auto maximum = CsvFigure(fields[3], &row.decimals);
  const auto minimum = CsvFigure(fields[4]), mean = CsvFigure(fields[5]);
  const auto unit = ForceUnitFromText(fields[6]);
  const auto seconds = CsvFigure(fields[7]);
  if (!number || *number < 1 || *number != std::floor(*number) || !start || !maximum || !minimum ||
      !mean || !(unit || fields[6].empty()) || !seconds)
    return std::nullopt;
  row.number = static_cast<int>(*number);
  row.start = *start;
  row.part = fields[2];
  row.maximum = *maximum;
  row.minimum = *minimum;
  row.mean = *mean;
  row.unit = unit.value_or(ForceUnit::None);
  row.seconds = *seconds;
  row.verdict = fields[8];
  row.reason = fields[9];
  row.file = fields[10];
  return row;
}

} // namespace

SeriesRow RowOfTest(int number, const CsvHead& head, std::string_view file,
                    const NumberSeparators& separators) {
  SeriesRow row;
  row.number = number;
  row.start = head.start;
  row.part = head.test.trace.part;
  row.decimals = head.decimalPlaces;
  row.unit = head.test.unit;
  row.file = file;
  if (!head.summary)
    return row;
  const TestResults& r = head.summary->results;
  // The figures as the test's file writes them, so that the table and the file agree.
  const auto shown = [&](float value) {
    return std::strtod(
        FormatNumber(value, head.decimalPlaces, kFileSignificantDigits, kPlain).c_str(), nullptr);
  };
  if (r.Count() > 0) {
    row.maximum = shown(r.Max());
    row.minimum = shown(r.Min());
    row.mean = shown(static_cast<float>(r.Mean()));
    row.seconds = r.Duration(head.valuesPerSecond);
  }
  row.verdict = VerdictText(head.summary->verdict);
  row.reason = VerdictReason(head.summary->verdict, head.decimalPlaces, head.test.unit,
                             {separators.decimal, ""});
  return row;
}

void SeriesTable::Add(const SeriesRow& row) {
  rows_.push_back(row);
  const double n = static_cast<double>(rows_.size());
  const double delta = row.maximum - mean_;
  mean_ += delta / n;
  squares_ += delta * (row.maximum - mean_);
  min_ = rows_.size() == 1 ? row.maximum : std::min(min_, row.maximum);
  max_ = rows_.size() == 1 ? row.maximum : std::max(max_, row.maximum);
  if (row.Failed())
    ++failed_;
  else if (!row.verdict.empty())
    ++passed_;
}

SeriesStatistics SeriesTable::Statistics(const ForceLimits& limits) const {
  SeriesStatistics s{rows_.size(), passed_, failed_, mean_, min_, max_, {}, {}};
  if (rows_.size() < 2)
    return s;
  s.deviation = std::sqrt(squares_ / static_cast<double>(rows_.size() - 1));
  if (limits.lower && limits.upper && *s.deviation > 0)
    s.cpk = std::min(*limits.upper - mean_, mean_ - *limits.lower) / (3 * *s.deviation);
  return s;
}

std::string SeriesStatisticsText(const SeriesStatistics& s, int decimalPlaces, ForceUnit unit,
                                 const NumberSeparators& separators) {
  if (s.count == 0)
    return "keine Tests";
  const auto force = [&](double value, int decimals) {
    return WithUnit(FormatNumber(value, decimals, kFileSignificantDigits, separators), unit);
  };
  constexpr std::string_view kDot = " · ";
  std::string text = std::to_string(s.count) + (s.count == 1 ? " Test" : " Tests");
  text += std::string(kDot) + std::to_string(s.passed) + " i.O." + std::string(kDot) +
          std::to_string(s.failed) + " n.i.O." + std::string(kDot) + "Maxima: Mittel " +
          force(s.mean, decimalPlaces);
  if (s.deviation)
    text += ", s " + force(*s.deviation, decimalPlaces + 1);
  text += ", kleinstes " + force(s.minimum, decimalPlaces) + ", größtes " +
          force(s.maximum, decimalPlaces);
  if (s.cpk)
    text += std::string(kDot) + "Cpk " + FormatNumber(*s.cpk, 2, 30, separators);
  return text;
}

std::vector<std::string> SeriesRowCells(const SeriesRow& row, const NumberSeparators& separators) {
  const auto force = [&](double value) {
    return WithUnit(FormatNumber(value, row.decimals, kFileSignificantDigits, separators),
                    row.unit);
  };
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", row.start.hour, row.start.minute,
                row.start.second);
  std::string seconds;
  AppendSeconds(seconds, row.seconds, 3, separators);
  std::string verdict = row.verdict;
  if (!row.reason.empty())
    verdict += " (" + row.reason + ")";
  return {std::to_string(row.number),
          time,
          row.part,
          force(row.maximum),
          force(row.minimum),
          force(row.mean),
          seconds,
          verdict};
}

std::string SeriesHeadText(const LocalTime& created) {
  std::string text(kUtf8ByteOrderMark);
  text += "# Prüfreihe;";
  text += Iso8601(created);
  text += kLineEnd;
  text += "# Programm;";
  text += ProgramNameAndVersion();
  text += kLineEnd;
  text += kColumns;
  text += kLineEnd;
  return text;
}

std::string SeriesRowText(const SeriesRow& row, const NumberSeparators& separators) {
  const NumberSeparators plain{separators.decimal, ""};
  const auto figure = [&](double value) {
    return FormatNumber(value, row.decimals, kFileSignificantDigits, plain);
  };
  std::string seconds;
  AppendSeconds(seconds, row.seconds, 3, plain);
  std::string text;
  for (const std::string& field :
       {std::to_string(row.number), Iso8601(row.start), CsvText(row.part), figure(row.maximum),
        figure(row.minimum), figure(row.mean), std::string(UnitSymbol(row.unit)), seconds,
        CsvText(row.verdict), CsvText(row.reason), CsvText(row.file)}) {
    if (!text.empty())
      text += ';';
    text += field;
  }
  text += kLineEnd;
  return text;
}

SeriesFileContent ReadSeriesFile(std::string_view bytes) {
  SeriesFileContent content;
  std::size_t at = bytes.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
  for (;;) {
    const std::size_t end = bytes.find(kLineEnd, at);
    if (end == std::string_view::npos)
      break; // no line end: cut short
    const std::string_view line = bytes.substr(at, end - at);
    at = end + kLineEnd.size();
    content.wholeBytes = at;
    if (line == kColumns)
      content.headed = true;
    else if (!line.starts_with('#'))
      if (auto row = RowOfLine(line))
        content.rows.push_back(std::move(*row));
  }
  return content;
}

std::string SeriesTestFileName(std::string_view part, int number, int attempt) {
  std::string name;
  for (const char c : part)
    if (static_cast<unsigned char>(c) >= ' ')
      name += std::string_view("<>:\"/\\|?*").find(c) == std::string_view::npos ? c : '_';
  // Windows drops trailing points and blanks, and a leading one would hide the number.
  while (!name.empty() && (name.back() == '.' || name.back() == ' '))
    name.pop_back();
  if (name.empty())
    name = "Test";
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "_%04d", number);
  name += suffix;
  if (attempt > 0)
    name += " (" + std::to_string(attempt + 1) + ")";
  return name + ".csv";
}

bool IsSeriesListHead(std::string_view bytes) {
  return bytes.starts_with(std::string(kUtf8ByteOrderMark) + "# Prüfreihe;");
}

std::optional<std::string> SeriesListRefusal(std::string_view bytes, std::string_view path) {
  if (bytes.empty() || ReadSeriesFile(bytes).headed)
    return std::nullopt;
  return std::string(path) + " ist keine Prüfreihe von dynlog.exe";
}

std::optional<std::string> SeriesPartRefusal(std::string_view fullFolder, std::string_view part,
                                             int number) {
  // Windows counts UTF-16 units: one for each character UTF-8 writes in up to three bytes, two
  // for one in four.
  const auto units = [](std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
      n += (static_cast<unsigned char>(c) & 0xC0) != 0x80
               ? 1 + (static_cast<unsigned char>(c) >= 0xF0)
               : 0;
    return n;
  };
  constexpr std::size_t kMaxPath = 259, kMaxName = 255;
  constexpr int kLastAttempt = 99;
  const std::size_t name = units(SeriesTestFileName(part, number, kLastAttempt));
  const std::size_t folder =
      units(fullFolder) + !(fullFolder.ends_with('\\') || fullFolder.ends_with('/'));
  if (name <= kMaxName && folder + name <= kMaxPath)
    return std::nullopt;
  // "Test" stands for the part in the name of a test without one.
  const std::size_t rest = units(SeriesTestFileName("", number, kLastAttempt)) - 4;
  const std::size_t room = std::min(kMaxName, kMaxPath - std::min(kMaxPath, folder));
  return "Prüfling zu lang für einen Dateinamen (hier höchstens " +
         std::to_string(room > rest ? room - rest : 0) + " Zeichen)";
}

} // namespace dynlog
