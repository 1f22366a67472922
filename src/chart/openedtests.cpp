#include "chart/openedtests.h"

#include "chart/chartscale.h"

#include <utility>

namespace dynlog {

bool ComparedTests::Add(std::string utf8Name, OpenedTest test) {
  if (Size() >= kMostCurves)
    return false;
  auto file = std::make_unique<File>();
  file->name = std::move(utf8Name);
  file->test = std::move(test);
  files_.push_back(std::move(file));
  return true;
}

void ComparedTests::Clear() {
  files_.clear();
  withRecording_ = false;
  reference_.reset();
}

void ComparedTests::ToggleReference(std::size_t i) {
  if (i >= Size() || reference_ == i)
    reference_.reset();
  else
    reference_ = i;
}

std::vector<ShownCurve> ComparedTests::Curves(const Recording& recording,
                                              const NumberSeparators& separators) const {
  std::vector<ShownCurve> curves;
  if (withRecording_) {
    // One source object for the recording, so that curves handed out before stay valid.
    SpanColumns source(recording.Values(), recording.SecondsOfValues());
    if (recordingSource_)
      *recordingSource_ = std::move(source);
    else
      recordingSource_ = std::make_unique<SpanColumns>(std::move(source));
    const std::string& part = recording.Description().trace.part;
    curves.push_back({part.empty() ? "Aufnahme" : part, recordingSource_.get(),
                      recording.Format(separators), recording.Results(),
                      recording.Description().limits, nullptr});
  }
  for (const auto& file : files_) {
    const OpenedTest& t = file->test;
    // The results as the reader took them: its extremes the head's, where it names them.
    ResultsFormat format{t.values.ValuesPerSecond(), t.head.decimalPlaces, separators,
                         t.head.test.unit,
                         t.head.summary ? t.head.summary->peakFramesPerSecond : 0};
    if (format.valuesPerSecond <= 0)
      format.valuesPerSecond = 1;
    curves.push_back({file->name, &file->source, format,
                      t.head.summary ? t.head.summary->results : t.values.Results(),
                      t.head.test.limits, &t});
  }
  return curves;
}

std::size_t MainCurve(const std::vector<ShownCurve>& curves, std::optional<std::size_t> reference) {
  return reference && *reference < curves.size() ? *reference : 0;
}

std::size_t LongestCurve(const std::vector<ShownCurve>& curves) {
  std::size_t longest = 0;
  for (std::size_t i = 1; i < curves.size(); ++i)
    if (curves[i].source->LastSeconds() > curves[longest].source->LastSeconds())
      longest = i;
  return longest;
}

std::string LegendText(const ShownCurve& curve, bool reference) {
  std::string text = curve.name;
  if (curve.results.Count() > 0) {
    text += "  Max. ";
    text += WithUnit(FormatNumber(curve.results.Max(), curve.format.decimalPlaces,
                                  kFileSignificantDigits, curve.format.separators),
                     curve.format.unit);
  }
  if (reference)
    text += " (Referenz)";
  return text;
}

std::string OpenedTestNote(const ShownCurve& curve, const NumberSeparators& separators) {
  if (!curve.opened)
    return {};
  const OpenedTest& t = *curve.opened;
  const char* const dot = " · ";
  // A damaged file's first line not read comes first, where a narrow window does not cut it.
  std::string note = "Datei " + curve.name;
  if (t.unread)
    note.append(dot).append(UnreadLineText(*t.unread));
  if (!t.head.test.trace.part.empty())
    note.append(dot).append("Prüfling ").append(t.head.test.trace.part);
  if (t.timesFromRate)
    note.append(dot).append(TimesFromRateText(curve.format.valuesPerSecond, separators));
  else
    note.append(dot)
        .append(FormatNumber(curve.format.valuesPerSecond,
                             TimeDecimals(1.0 / curve.format.valuesPerSecond), 30,
                             {separators.decimal, ""}))
        .append(" Werte/s");
  if (t.head.test.limits.Any())
    note.append(dot).append(
        LimitsText(t.head.test.limits, t.head.decimalPlaces, t.head.test.unit, separators));
  // Which maximum the figures name: a file's own head knows the peak of every frame.
  if (t.values.Count() > 0)
    note.append(dot).append(t.maximum ? "Maximum laut Dateikopf" : "Maximum der Zeilen");
  std::string verdict = t.verdictText;
  if (verdict.empty() && t.head.summary)
    verdict = VerdictText(t.head.summary->verdict);
  if (!verdict.empty())
    note.append(dot).append(verdict);
  if (!t.verdictReason.empty())
    note.append(" (").append(t.verdictReason).append(")");
  return note;
}

} // namespace dynlog
