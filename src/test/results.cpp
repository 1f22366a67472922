#include "test/results.h"

namespace dynlog {
namespace {

struct Figures {
  std::string count, duration, max, maxTime, min, minTime, mean;
};

Figures TextsOf(const ResultFigures& r, const ResultsFormat& f) {
  const int timeDecimals = TimeDecimals(f.valuesPerSecond);
  const auto seconds = [&](double time) {
    std::string s;
    AppendSeconds(s, time, timeDecimals, f.separators);
    return s;
  };
  const auto value = [&](float v) {
    return WithUnit(FormatNumber(v, f.decimalPlaces, kFileSignificantDigits, f.separators), f.unit);
  };
  return {FormatNumber(static_cast<double>(r.count), 0, 30, f.separators),
          seconds(r.duration),
          value(r.max),
          seconds(r.maxSeconds),
          value(r.min),
          seconds(r.minSeconds),
          value(static_cast<float>(r.mean))};
}

// "Name: text" with its line end; nothing for an empty text.
std::string Line(std::string_view name, const std::string& text) {
  return text.empty() ? text : std::string(name) + ": " + text + "\r\n";
}

} // namespace

ResultFigures FiguresOf(const TestResults& r, double valuesPerSecond) {
  return {r.Count(), r.Duration(valuesPerSecond), r.Max(), r.Min(), r.MaxSeconds(), r.MinSeconds(),
          r.Mean()};
}

std::string ResultsLine(const TestResults& results, const ResultsFormat& format) {
  std::string line = ResultsLine(FiguresOf(results, format.valuesPerSecond), format);
  // Why the chart's highest point may lie below the maximum: last, as a narrow window cuts it.
  if (results.FromFrames() && format.peakFramesPerSecond > 0 && !line.empty())
    line += "   (Max./Min. aus " + std::to_string(format.peakFramesPerSecond) + " Werten/s)";
  return line;
}

std::string ResultsLine(const ResultFigures& figures, const ResultsFormat& format) {
  if (figures.count == 0)
    return {};
  const Figures f = TextsOf(figures, format);
  // Short enough for the window at its smallest: times without trailing zeros, the minimum
  // without its time.
  const auto trimmed = [&](std::string s) {
    if (const auto comma = s.find(format.separators.decimal); comma != std::string::npos) {
      while (s.back() == '0')
        s.pop_back();
      if (s.size() == comma + format.separators.decimal.size())
        s.resize(comma);
    }
    return s;
  };
  return f.count + " Werte in " + trimmed(f.duration) + " s   Max. " + f.max + " bei " +
         trimmed(f.maxTime) + " s   Min. " + f.min + "   Mittel " + f.mean;
}

std::string PeakSourceText(int peakFramesPerSecond) {
  if (peakFramesPerSecond <= 0)
    return {};
  return "aus allen " + std::to_string(peakFramesPerSecond) + " Werten/s des Geräts";
}

std::string ResultsReport(const TestResults& results, const ResultsFormat& format,
                          const GapSummary& gaps) {
  const Figures f = TextsOf(FiguresOf(results, format.valuesPerSecond), format);
  std::string text = "Werte: " + f.count + "\r\n";
  if (results.Count() > 0)
    text += "Dauer: " + f.duration + " s\r\nMaximum: " + f.max + " bei " + f.maxTime +
            " s\r\nMinimum: " + f.min + " bei " + f.minTime + " s\r\n" +
            Line("Spitzenwerte", PeakSourceText(format.peakFramesPerSecond)) +
            "Mittelwert: " + f.mean + "\r\n";
  // The PC's clock measured them to the millisecond.
  text += "Lücken: " + std::to_string(gaps.count) + ", zusammen ";
  AppendSeconds(text, gaps.seconds, 3, format.separators);
  return text + " s\r\n";
}

} // namespace dynlog
