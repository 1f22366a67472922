#include "files/reader.h"

#include <cstring>
#include <utility>
#include <vector>

namespace dynlog {

namespace {

// Longer than any line this program writes (a head line holds at most a person's comment).
constexpr std::size_t kMaxLine = 64 * 1024;

// A file whose lines end in CR alone (an old Mac's) reads as one endless line: said so, rather
// than called too long or cut short.
constexpr std::string_view kCarriageReturnsOnly = "Zeilen enden mit CR allein statt mit CR LF";

} // namespace

TestFileReader::TestFileReader(NumberSeparators system) : system_(std::move(system)) {}

void TestFileReader::Stop(std::uint64_t line, std::string_view why) {
  if (!test_.unread)
    test_.unread = UnreadLine{line, why};
}

void TestFileReader::Feed(std::string_view bytes) {
  while (!bytes.empty() && !Stopped()) {
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    const std::size_t end =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
              : bytes.size();
    if (partial_.size() + end > kMaxLine) {
      const bool cr =
          partial_.find('\r') != std::string::npos || std::memchr(bytes.data(), '\r', end);
      Stop(lines_ + 1, cr ? kCarriageReturnsOnly : "Zeile zu lang");
      return;
    }
    if (!found) {
      partial_.append(bytes);
      return;
    }
    // Lines whole in this piece are read where they lie; only one that spans two is copied.
    if (partial_.empty()) {
      TakeLine(bytes.substr(0, end));
    } else {
      partial_.append(bytes.data(), end);
      TakeLine(partial_);
      partial_.clear();
    }
    bytes.remove_prefix(end + 1);
  }
}

void TestFileReader::TakeLine(std::string_view line) {
  ++lines_;
  if (line.ends_with('\r'))
    line.remove_suffix(1);
  if (lines_ == 1) {
    if (line.starts_with(kUtf8ByteOrderMark))
      line.remove_prefix(kUtf8ByteOrderMark.size());
    if (line.starts_with("Datei erzeugt von Programm ")) {
      test_.kind = TestFileKind::MeasurementFile;
      text_.emplace(system_);
    } else if (line.starts_with('#') || line.starts_with("Zeit in s;")) {
      test_.kind = TestFileKind::Csv;
      csv_.emplace();
    } else {
      Stop(1, "kein Kopf einer Datei von dynlog.exe");
      return;
    }
  }
  const std::string_view why =
      csv_ ? csv_->Line(line, test_.values) : text_->Line(line, test_.values);
  if (!why.empty())
    Stop(lines_, why);
}

OpenedTest TestFileReader::Finish() {
  // A CR at the very end is half of a CR LF cut off.
  if (!partial_.empty())
    Stop(lines_ + 1, partial_.find('\r') < partial_.size() - 1
                         ? kCarriageReturnsOnly
                         : "Zeile ohne Zeilenende (Datei abgeschnitten)");
  if (lines_ == 0)
    Stop(1, "Datei ist leer");
  else if ((csv_ && !csv_->InValues()) || (text_ && !text_->InValues()))
    Stop(lines_ + 1, "Datei endet im Kopf");
  CsvHead& head = test_.head;
  if (text_) {
    text_->Finish(test_.values);
    test_.created = std::move(text_->created);
    head.valuesPerSecond = RatePerSecond(text_->rate);
    head.averaging = text_->averaging;
    head.decimalPlaces = text_->decimalPlaces;
    test_.timesFromRate = true;
  } else if (csv_) {
    head = std::move(csv_->head);
    test_.verdictText = std::move(csv_->verdictText);
    test_.verdictReason = std::move(csv_->verdictReason);
    test_.maximum = csv_->maximum;
    test_.minimum = csv_->minimum;
    test_.peakFramesPerSecond = csv_->peakFramesPerSecond;
    // A file that does not name its rate is paced by its first two values.
    if (!(head.valuesPerSecond > 0))
      head.valuesPerSecond = test_.values.ValuesPerSecond();
  }
  TestValues& values = test_.values;
  values.Finish();
  // The extremes the head names are the file's, where it names them: of every frame the unit
  // sent, which the rows need not hold. Otherwise those of the rows.
  TestResults results = values.Results();
  if (results.Count() > 0 && (test_.maximum || test_.minimum)) {
    FramePeaks named;
    if (test_.maximum)
      named.Take(static_cast<float>(test_.maximum->value),
                 test_.maximum->seconds.value_or(results.MaxSeconds()));
    if (test_.minimum)
      named.Take(static_cast<float>(test_.minimum->value),
                 test_.minimum->seconds.value_or(results.MinSeconds()));
    results.AddFrames(named);
  }
  // The end as a stream's end line says it, or the end of the last value's interval.
  LocalTime end = csv_ && csv_->end ? *csv_->end : head.start;
  if (csv_ && !csv_->end && results.Count() > 0 && head.valuesPerSecond > 0)
    end = AddSeconds(head.start, results.LastSeconds() + 1 / head.valuesPerSecond);
  head.summary =
      CsvSummary{end, results,
                 JudgeMaximum(results.Count() ? std::optional<float>(results.Max()) : std::nullopt,
                              head.test.limits, head.decimalPlaces),
                 std::string(), test_.maximum ? test_.peakFramesPerSecond : 0};
  return std::move(test_);
}

OpenedTest ReadTestFile(const std::function<std::size_t(char*, std::size_t)>& read,
                        const NumberSeparators& system) {
  TestFileReader reader(system);
  std::vector<char> buffer(1 << 20);
  while (!reader.Stopped()) {
    const std::size_t got = read(buffer.data(), buffer.size());
    if (got == 0)
      break;
    reader.Feed({buffer.data(), got});
  }
  return reader.Finish();
}

OpenedTest ReadTestBytes(std::string_view bytes, const NumberSeparators& system) {
  TestFileReader reader(system);
  reader.Feed(bytes);
  return reader.Finish();
}

std::string UnreadLineText(const UnreadLine& unread) {
  std::string text = "Zeile ";
  text += std::to_string(unread.line);
  text += " nicht lesbar: ";
  text += unread.why;
  return text;
}

std::string TimesFromRateText(double valuesPerSecond, const NumberSeparators& separators) {
  std::string text = "Zeiten aus der Rate des Dateikopfs (";
  text += FormatNumber(valuesPerSecond, TimeDecimals(1.0 / valuesPerSecond), 30,
                       {separators.decimal, ""});
  text += " Werte/s), die Textdatei hat keine Zeitspalte";
  return text;
}

} // namespace dynlog
