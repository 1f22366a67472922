#include "window/csvfile.h"

#include "window/chartscale.h"

#include <cstdio>
#include <cstdlib>

namespace dynlog {
namespace {

constexpr std::string_view kCsvLineEnd = "\r\n";

// Text from the unit stays on its line and out of the columns.
std::string CleanField(std::string_view text) {
  std::string clean;
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= ' ' && c != ';')
      clean += c;
  while (!clean.empty() && clean.back() == ' ')
    clean.pop_back();
  return clean;
}

} // namespace

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
    text += "# ";
    text += name;
    text += ';';
    text += value;
    text += kCsvLineEnd;
  };
  line("Start", Iso8601(head.start));
  std::string rate;
  AppendSeconds(rate, head.valuesPerSecond, TimeDecimals(1.0 / head.valuesPerSecond), separators);
  line("Werte pro Sekunde", rate);
  line("Mittelung", head.averaging ? "ja" : "nein");
  line("Dezimalstellen", std::to_string(head.decimalPlaces));
  line("Gerät", CleanField(head.identification));
  line("Schnittstelle", CleanField(head.port));
  text += "Zeit in s;Wert";
  text += kCsvLineEnd;
  return text;
}

CsvLines::CsvLines(double valuesPerSecond, int decimalPlaces, const NumberSeparators& separators)
    : decimalPlaces_(decimalPlaces),
      timeDecimals_(TimeDecimals(valuesPerSecond)), plain_{separators.decimal, ""} {}

void CsvLines::Append(std::string& out, float value, double seconds) {
  AppendSeconds(out, seconds, timeDecimals_, plain_);
  out += ';';
  AppendNumber(out, value, decimalPlaces_, kFileSignificantDigits, plain_);
  out += kCsvLineEnd;
}

std::string BuildCsvFile(const CsvHead& head, std::span<const float> values,
                         const std::function<double(std::uint64_t)>& secondsOf,
                         const NumberSeparators& separators) {
  std::string text = CsvHeadText(head, separators);
  text.reserve(text.size() + values.size() * 20);
  CsvLines lines(head.valuesPerSecond, head.decimalPlaces, separators);
  for (std::size_t i = 0; i < values.size(); ++i)
    lines.Append(text, values[i], secondsOf(i));
  return text;
}

bool IsCsvName(std::string_view name) {
  if (name.size() < 4)
    return false;
  const std::string_view end = name.substr(name.size() - 4);
  return end[0] == '.' && (end[1] | 0x20) == 'c' && (end[2] | 0x20) == 's' &&
         (end[3] | 0x20) == 'v';
}

} // namespace dynlog
