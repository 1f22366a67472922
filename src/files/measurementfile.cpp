#include "files/measurementfile.h"

namespace dynlog {

std::string MeasurementFileLine1(std::string_view dateTimeText) {
  std::string line = "Datei erzeugt von Programm dynlog.exe am ";
  line += dateTimeText;
  return line;
}

std::string MeasurementFileLine2(std::string_view rateText, bool averaging) {
  std::string line = "Einstellung: ";
  line += rateText;
  line += " Messwerte pro Sekunde";
  // "2,5", "160" and "320" end here: the note was only ever meant for the middle rates.
  if (rateText.size() < 3)
    line += averaging ? " mit Mittelung" : " ohne Mittelung";
  return line;
}

std::string BuildMeasurementFile(const MeasurementFileContent& content) {
  std::string text;
  // A value line is at most a sign, 6 digits, a group separator, a decimal separator and 3
  // decimals; reserving roughly that keeps a full recording to one allocation.
  text.reserve(256 + content.values.size() * 16);
  text += MeasurementFileLine1(content.dateTimeText);
  text += kLineEnd;
  text += MeasurementFileLine2(RateText(content.rate), content.averaging);
  text += kLineEnd;
  text += kLineEnd;
  for (const float v : content.values) {
    AppendNumber(text, v, content.decimalPlaces, kFileSignificantDigits, content.separators);
    text += kLineEnd;
  }
  return text;
}

namespace {

constexpr std::string_view kLine1 = "Datei erzeugt von Programm dynlog.exe am ";
constexpr std::string_view kUnreadableHead = "Kopfzeile nicht lesbar";
// Lines such as "1.234" kept before the separators are known; past these the system decides.
constexpr std::size_t kMaxWaiting = 4096;

} // namespace

struct MeasurementFileReader::Shape {
  bool negative = false;
  std::int64_t digits = 0; // all of them, as one integer
  char first = 0;          // the first digit
  int groups[9] = {};      // digits of each run, left to right
  std::string_view separators[8];
  int separatorCount = 0; // one fewer than the runs
};

// Digits in runs (at most 18 in all, so that they are exact as one integer), joined by
// separators of up to 4 bytes (a code page's or UTF-8's), after an optional minus.
bool MeasurementFileReader::ShapeOf(std::string_view text, Shape& s) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t i = 0, count = 0;
  s.negative = text.starts_with('-');
  i += s.negative;
  s.first = i < text.size() ? text[i] : 0;
  for (int run = 0;; ++run) {
    const std::size_t start = i;
    for (; i < text.size() && digit(text[i]); ++i) {
      if (++count > 18)
        return false;
      s.digits = s.digits * 10 + (text[i] - '0');
    }
    if (i == start)
      return false;
    s.groups[run] = static_cast<int>(i - start);
    if (i == text.size())
      return true;
    if (run == 8)
      return false;
    const std::size_t separator = i;
    while (i < text.size() && !digit(text[i]) && text[i] != '-')
      ++i;
    if (i - separator > 4 || i == text.size())
      return false;
    s.separators[s.separatorCount++] = text.substr(separator, i - separator);
  }
}

std::string_view MeasurementFileReader::HeadLine(std::string_view line, TestValues& values) {
  if (lines_ == 0) {
    if (!line.starts_with(kLine1))
      return "kein Kopf einer Datei von dynlog.exe";
    created = line.substr(kLine1.size());
    return {};
  }
  if (lines_ == 2)
    return line.empty() ? std::string_view{} : kUnreadableHead;
  // "Einstellung: 10 Messwerte pro Sekunde mit Mittelung"
  constexpr std::string_view kSetting = "Einstellung: ", kPerSecond = " Messwerte pro Sekunde";
  const std::size_t at = line.find(kPerSecond);
  if (!line.starts_with(kSetting) || at == std::string_view::npos)
    return kUnreadableHead;
  const std::string_view rateText = line.substr(kSetting.size(), at - kSetting.size());
  const std::string_view note = line.substr(at + kPerSecond.size());
  bool known = false;
  for (int r = static_cast<int>(SampleRate::Hz320); r <= static_cast<int>(SampleRate::Hz2_5); ++r)
    if (RateText(static_cast<SampleRate>(r)) == rateText) {
      rate = static_cast<SampleRate>(r);
      known = true;
    }
  averaging = note == " mit Mittelung";
  if (!known || !(note.empty() || averaging || note == " ohne Mittelung"))
    return kUnreadableHead;
  values.SetRate(RatePerSecond(rate));
  return {};
}

std::string_view MeasurementFileReader::Line(std::string_view line, TestValues& values) {
  if (lines_ < 3) {
    const std::string_view why = HeadLine(line, values);
    lines_ += why.empty();
    return why;
  }
  Shape shape;
  if (!ShapeOf(line, shape))
    return "kein Messwert";
  if (!decided_) {
    const std::string_view separator =
        shape.separatorCount ? shape.separators[shape.separatorCount - 1] : std::string_view{};
    if (Decide(shape)) {
      // The waiting lines must read so too; if they cannot, the system decides, and this line
      // is then the first that does not fit.
      const bool fit =
          (decimal_ == waitingSeparator_ && decimalPlaces == 3) ||
          (decimal_.empty() && (thousands_.empty() || thousands_ == waitingSeparator_));
      if (!waiting_.empty() && !fit)
        DecideBySystem();
      else if (!waiting_.empty() && decimal_.empty())
        thousands_ = waitingSeparator_;
      decided_ = true;
    } else if (waiting_.empty() ||
               (separator == waitingSeparator_ && waiting_.size() < kMaxWaiting)) {
      waitingSeparator_ = separator;
      waiting_.push_back(shape.negative ? -shape.digits : shape.digits);
      return {};
    } else {
      DecideBySystem();
    }
    Release(values);
  }
  const auto value = Read(shape);
  if (!value)
    return "kein Messwert";
  values.Append(static_cast<float>(*value));
  return {};
}

bool MeasurementFileReader::Decide(const Shape& s) {
  const int k = s.separatorCount;
  if (k == 0) {
    decimal_.clear();
    decimalPlaces = 0;
    return true;
  }
  const std::string_view last = s.separators[k - 1];
  // A decimal part of other than three digits, two different separators, or one after a run of
  // more than three digits or after a lone 0 ("0.123"): the last separator is the decimal one.
  if (s.groups[k] != 3 || (k >= 2 && s.separators[k - 2] != last) ||
      (k == 1 && (s.groups[0] > 3 || s.first == '0'))) {
    decimal_ = last;
    decimalPlaces = s.groups[k];
    return true;
  }
  if (k >= 2) { // one separator repeated: thousands, no decimals
    decimal_.clear();
    thousands_ = last;
    decimalPlaces = 0;
    return true;
  }
  return false;
}

void MeasurementFileReader::DecideBySystem() {
  decided_ = true;
  if (waitingSeparator_ == system_.decimal) {
    decimal_ = waitingSeparator_;
    decimalPlaces = 3;
  } else {
    decimal_.clear();
    thousands_ = waitingSeparator_;
    decimalPlaces = 0;
  }
}

void MeasurementFileReader::Release(TestValues& values) {
  const double scale = decimal_.empty() ? 1.0 : 1000.0;
  for (const std::int64_t digits : waiting_)
    values.Append(static_cast<float>(static_cast<double>(digits) / scale));
  waiting_ = {};
}

void MeasurementFileReader::Finish(TestValues& values) {
  if (!decided_ && !waiting_.empty()) {
    DecideBySystem();
    Release(values);
  }
}

std::optional<double> MeasurementFileReader::Read(const Shape& s) {
  static constexpr double kPower[] = {1,    10,   100,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                      1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
  int k = s.separatorCount;
  int decimals = 0;
  if (!decimal_.empty()) {
    if (k == 0 || s.separators[k - 1] != decimal_ || s.groups[k] != decimalPlaces)
      return std::nullopt;
    decimals = decimalPlaces;
    --k;
  }
  std::string_view thousands = thousands_;
  for (int i = 0; i < k; ++i) {
    if (thousands.empty() && s.separators[i] != decimal_)
      thousands = s.separators[i];
    if (s.separators[i] != thousands || s.groups[i + 1] != 3)
      return std::nullopt;
  }
  if (k > 0 && (s.groups[0] > 3 || s.first == '0'))
    return std::nullopt;
  if (thousands_.empty())
    thousands_ = thousands;
  const double value = static_cast<double>(s.digits) / kPower[decimals];
  return s.negative ? -value : value;
}

} // namespace dynlog
