#include "files/csvfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#ifndef DYNLOG_PROGRAM_VERSION
#error "DYNLOG_PROGRAM_VERSION: the project's version, set by the build"
#endif

namespace dynlog {
namespace {

constexpr std::string_view kCsvLineEnd = "\r\n";

void HeadLine(std::string& text, std::string_view name, std::string_view value) {
  text += "# ";
  text += name;
  text += ';';
  text += value;
  text += kCsvLineEnd;
}

} // namespace

std::string CsvText(std::string_view text) {
  std::string field;
  bool blank = false; // control characters since the last character kept
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7F') {
      blank = !field.empty();
      continue;
    }
    if (blank)
      field += ' ';
    blank = false;
    field += c;
  }
  if (field.find_first_of(";\"#") == std::string::npos && !field.starts_with(' ') &&
      !field.ends_with(' '))
    return field;
  std::string quoted = "\"";
  for (const char c : field) {
    quoted += c;
    if (c == '"')
      quoted += '"';
  }
  return quoted + '"';
}

std::optional<std::vector<std::string>> CsvFields(std::string_view line) {
  std::vector<std::string> fields;
  for (std::size_t at = 0;; ++at) { // past the semicolon
    std::string& field = fields.emplace_back();
    if (at < line.size() && line[at] == '"') {
      for (++at;; ++at) {
        if (at == line.size())
          return std::nullopt; // the quote is never closed
        if (line[at] == '"' && (at + 1 == line.size() || line[at + 1] != '"'))
          break;
        field += line[at];
        at += line[at] == '"';
      }
      if (++at < line.size() && line[at] != ';')
        return std::nullopt;
    } else {
      const std::size_t end = std::min(line.find(';', at), line.size());
      field = line.substr(at, end - at);
      at = end;
    }
    if (at >= line.size())
      return fields;
  }
}

std::string_view ProgramNameAndVersion() {
  return "dynlog.exe " DYNLOG_PROGRAM_VERSION;
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
  line("Gerät", CsvText(head.identification));
  line("Schnittstelle", CsvText(head.port));
  line("Einheit", UnitSymbol(head.test.unit));
  const TestTrace& trace = head.test.trace;
  line("Prüfling", CsvText(trace.part));
  line("Prüfer", CsvText(trace.tester));
  line("Auftrag", CsvText(trace.order));
  line("Bemerkung", CsvText(trace.comment));
  line("Untergrenze", limit(head.test.limits.lower));
  line("Obergrenze", limit(head.test.limits.upper));
  if (!head.startCondition.empty()) {
    line("Startbedingung", CsvText(head.startCondition));
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
    // Extremes of every frame came between the rows, so they name their second, to the frame.
    const auto extreme = [&](float value, double seconds) {
      std::string field = figure(value);
      if (summary.peakFramesPerSecond > 0) {
        field += ';';
        AppendSeconds(field, seconds, TimeDecimals(summary.peakFramesPerSecond), plain);
      }
      return field;
    };
    HeadLine(text, "Maximum", extreme(r.Max(), r.MaxSeconds()));
    HeadLine(text, "Minimum", extreme(r.Min(), r.MinSeconds()));
    HeadLine(text, "Mittelwert", figure(static_cast<float>(r.Mean())));
    // Why the rows may not hold the maximum: it was sent between two of them.
    if (summary.peakFramesPerSecond > 0)
      HeadLine(text, "Spitzenwerte", PeakSourceText(summary.peakFramesPerSecond));
  }
  if (summary.verdict.outcome != VerdictOutcome::None)
    HeadLine(text, "Urteil", VerdictText(summary.verdict));
  if (summary.verdict.Failed())
    HeadLine(text, "Grund",
             VerdictReason(summary.verdict, head.decimalPlaces, head.test.unit, plain));
  if (!summary.endedBy.empty())
    HeadLine(text, "Ende durch", CsvText(summary.endedBy));
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

namespace {

constexpr std::string_view kUnreadableHead = "Kopfzeile nicht lesbar";
constexpr std::string_view kNoValue = "kein Messwert";

// Half a unit of the last of `decimals` decimals: the rounding a written time carries.
double HalfUnit(int decimals) {
  static constexpr double kHalf[] = {0.5, 0.05, 0.005, 5e-4, 5e-5, 5e-6, 5e-7, 5e-8, 5e-9, 5e-10};
  return kHalf[std::min(decimals, 9)];
}

// A figure of a value line at p: an optional minus (where `sign`), digits, and decimals after a
// point or a comma; p is moved past it. At most 18 digits, so that they are exact as an integer
// and the one division by their power of ten rounds the figure once, as reading its text would.
bool ParseFigure(const char*& p, const char* end, bool sign, double& value, int& decimals) {
  static constexpr double kPower[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                      1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
  const bool negative = sign && p < end && *p == '-';
  p += negative;
  std::uint64_t digits = 0;
  int count = 0;
  decimals = -1;
  for (; p < end; ++p) {
    const unsigned d = static_cast<unsigned char>(*p) - '0';
    if (d < 10) {
      digits = digits * 10 + d;
      decimals += decimals >= 0;
      if (++count > 18)
        return false;
    } else if ((*p == ',' || *p == '.') && decimals < 0 && count > 0) {
      decimals = 0;
    } else {
      break;
    }
  }
  if (count == 0 || decimals == 0)
    return false;
  decimals = std::max(decimals, 0);
  value = static_cast<double>(digits) / kPower[decimals];
  if (negative)
    value = -value;
  return true;
}

} // namespace

std::optional<LocalTime> LocalTimeFromIso8601(std::string_view text) {
  // 2026-12-07T19:05:16+01:00
  static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd+dd:dd";
  if (text.size() != kShape.size())
    return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd'
            ? !digit
            : (kShape[i] == '+' ? text[i] != '+' && text[i] != '-' : text[i] != kShape[i]))
      return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t digits) {
    int n = 0;
    for (std::size_t i = at; i < at + digits; ++i)
      n = n * 10 + (text[i] - '0');
    return n;
  };
  LocalTime t{number(0, 4),
              number(5, 2),
              number(8, 2),
              number(11, 2),
              number(14, 2),
              number(17, 2),
              (text[19] == '-' ? -1 : 1) * (number(20, 2) * 60 + number(23, 2))};
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 60)
    return std::nullopt;
  return t;
}

std::string_view CsvReader::Line(std::string_view line, TestValues& values) {
  if (line.starts_with('#')) {
    if (part_ == Part::Values)
      part_ = Part::End; // a stream's end lines
    return HeadLine(line.substr(1));
  }
  switch (part_) {
  case Part::Head: {
    if (!line.starts_with("Zeit in s;"))
      return kUnreadableHead;
    const auto columns = std::count(line.begin(), line.end(), ';') + 1;
    if (columns > 2 + 8)
      return kUnreadableHead;
    lampColumns_ = static_cast<int>(columns - 2);
    part_ = Part::Values;
    values.SetRate(head.valuesPerSecond);
    return {};
  }
  case Part::Values:
    return ValueLine(line, values);
  case Part::End:
    break;
  }
  return "Messwert nach den Schlusszeilen";
}

std::string_view CsvReader::HeadLine(std::string_view line) {
  // "# Name;value"; a comment of another kind is passed over.
  const std::size_t semicolon = line.find(';');
  if (!line.starts_with(' ') || semicolon == std::string_view::npos)
    return {};
  const std::string_view name = line.substr(1, semicolon - 1);
  const std::string_view text = line.substr(semicolon + 1);
  // A file from before texts were quoted holds a text as it stands, quotes and all.
  const std::vector<std::string> fields =
      CsvFields(text).value_or(std::vector<std::string>{std::string(text)});
  const std::string& value = fields.front();
  const auto limit = [&](std::optional<double>& to) {
    to = value.empty() ? std::nullopt : LimitFromText(value);
    return value.empty() || to;
  };
  bool read = true;
  TestTrace& trace = head.test.trace;
  if (name == "Start") {
    const auto start = LocalTimeFromIso8601(value);
    head.start = start.value_or(LocalTime{});
    read = start.has_value();
  } else if (name == "Werte pro Sekunde" && part_ == Part::Head) {
    head.valuesPerSecond = CsvFigure(value).value_or(0);
    read = head.valuesPerSecond > 0 && head.valuesPerSecond <= 1e6;
  } else if (name == "Mittelung") {
    head.averaging = value == "ja";
  } else if (name == "Dezimalstellen") {
    const auto places = CsvFigure(value);
    read = places && *places >= 0 && *places <= 9 && *places == std::floor(*places);
    head.decimalPlaces = read ? static_cast<int>(*places) : 0;
  } else if (name == "Gerät") {
    head.identification = value;
  } else if (name == "Schnittstelle") {
    head.port = value;
  } else if (name == "Einheit") {
    // A unit this program does not know leaves the figures without one; they are still right.
    head.test.unit = ForceUnitFromText(value).value_or(ForceUnit::None);
  } else if (name == "Prüfling") {
    trace.part = value;
  } else if (name == "Prüfer") {
    trace.tester = value;
  } else if (name == "Auftrag") {
    trace.order = value;
  } else if (name == "Bemerkung") {
    trace.comment = value;
  } else if (name == "Untergrenze") {
    read = limit(head.test.limits.lower);
  } else if (name == "Obergrenze") {
    read = limit(head.test.limits.upper);
  } else if (name == "Ende") {
    end = LocalTimeFromIso8601(value);
    read = end.has_value();
  } else if (name == "Maximum" || name == "Minimum") {
    CsvExtreme extreme;
    const auto figure = CsvFigure(value, &extreme.decimals);
    const auto seconds = fields.size() > 1 ? CsvFigure(fields[1]) : std::nullopt;
    read = figure.has_value();
    extreme.value = figure.value_or(0);
    extreme.seconds = seconds;
    (name == "Maximum" ? maximum : minimum) = extreme;
  } else if (name == "Spitzenwerte") {
    const std::size_t digits = value.find_first_of("0123456789");
    peakFramesPerSecond = digits == std::string_view::npos ? 0 : std::atoi(value.data() + digits);
  } else if (name == "Urteil") {
    verdictText = value;
  } else if (name == "Grund") {
    verdictReason = value;
  }
  return read ? std::string_view{} : kUnreadableHead;
}

std::string_view CsvReader::ValueLine(std::string_view line, TestValues& values) {
  const char* p = line.data();
  const char* const end = p + line.size();
  double seconds = 0, value = 0;
  int timeDecimals = 0, valueDecimals = 0;
  if (!ParseFigure(p, end, true, seconds, timeDecimals) || p == end || *p++ != ';' ||
      !ParseFigure(p, end, true, value, valueDecimals))
    return kNoValue;
  Lamps lamps = 0;
  for (int i = 0; i < lampColumns_; ++i, p += 2) {
    if (end - p < 2 || p[0] != ';' || (p[1] != '0' && p[1] != '1'))
      return kNoValue;
    lamps |= static_cast<Lamps>((p[1] - '0') << i);
  }
  if (p != end)
    return kNoValue;
  // A time is on the rate's clock when it reads as that clock's time rounded to its decimals.
  if (!values.AppendAt(static_cast<float>(value), lamps, seconds, HalfUnit(timeDecimals) * 1.001))
    return "Zeit nicht nach der vorigen Zeile";
  return {};
}

CsvTest ReadCsvTest(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark))
    bytes.remove_prefix(kUtf8ByteOrderMark.size());
  CsvReader reader;
  TestValues values;
  for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos;
       bytes.remove_prefix(end + 1)) {
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (!reader.Line(line, values).empty())
      break;
  }
  CsvTest test{reader.head.test.unit, reader.head.decimalPlaces};
  for (std::uint64_t i = 0; i < values.Count(); ++i) {
    test.values.push_back(values.Value(i));
    test.seconds.push_back(values.SecondsOf(i));
    test.lamps.push_back(values.LampsOf(i));
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
