#include "test/recordingtexts.h"

#include "test/acquisition.h"

namespace dynlog {
namespace {

constexpr std::string_view kSeparator = " · "; // a middle dot between blanks

std::string Count(int n, const NumberSeparators& separators) {
  return FormatNumber(static_cast<double>(n), 0, kDisplaySignificantDigits, separators);
}

// "1 Messwert", "1.234 Messwerte"; with dative, "1 Messwert", "1.234 Messwerten".
std::string Values(int n, const NumberSeparators& separators, bool dative = false) {
  return Count(n, separators) + (n == 1 ? " Messwert" : dative ? " Messwerten" : " Messwerte");
}

} // namespace

bool RecordingFull(int recorded) {
  return recorded >= Acquisition::kMaxSamples;
}

std::string StatusLineText(const StatusLine& line, const NumberSeparators& separators) {
  std::string text = line.zeroing                            ? "Nullt"
                     : !line.waiting.empty()                 ? line.waiting
                     : line.armed                            ? "Wartet auf Auslösung"
                     : line.state == MeasuringState::Running ? "Misst"
                     : line.state == MeasuringState::Stopped ? "Gestoppt"
                                                             : "Bereit";
  if (line.state == MeasuringState::Stopped && !line.end.empty()) {
    text += kSeparator;
    text += line.end;
  }
  if (line.state != MeasuringState::Idle) {
    text += kSeparator;
    text += RecordingFull(line.recorded)
                ? "Aufnahme voll: " + Count(line.recorded, separators) + " Werte"
                : Count(line.recorded, separators) + " von " +
                      Count(Acquisition::kMaxSamples, separators) + " Werten";
  }
  text += kSeparator;
  text += RateText(line.keptRate);
  text += " Werte/s";
  if (line.averaging)
    text += " gemittelt";
  if (line.zeroed) {
    text += kSeparator;
    text += "genullt";
  }
  return text;
}

std::string ConnectionText(const StatusLine& line) {
  if (line.port.empty())
    return "nicht verbunden";
  std::string text = std::string(line.port) + ", " + std::to_string(line.baud) + " Baud";
  if (!line.unit.empty()) {
    text += kSeparator;
    text += line.unit;
  }
  return text;
}

std::string IdentificationText(std::string_view reply) {
  std::size_t from = reply.find("KM470");
  if (from == std::string_view::npos)
    from = reply.find("PT615");
  if (from == std::string_view::npos)
    return {};
  std::size_t to = from;
  while (to < reply.size() && static_cast<unsigned char>(reply[to]) >= 0x20 &&
         static_cast<unsigned char>(reply[to]) < 0x7F)
    ++to;
  while (to > from && reply[to - 1] == ' ')
    --to;
  return std::string(reply.substr(from, to - from));
}

std::string UnsavedRecordingQuestion(int count, bool closing, bool running,
                                     const NumberSeparators& separators) {
  return std::string(running ? "Es wird noch gemessen: die" : "Die") + " Aufnahme mit " +
         Values(count, separators, true) + " ist nicht gespeichert.\n\n" +
         (closing ? "Beim Schließen geht sie verloren." : "Start beginnt eine neue Aufnahme.") +
         (running ? " Vorher stoppen und speichern?" : " Vorher speichern?");
}

std::string SaveFailureText(std::string_view errorText, std::string_view path, int count,
                            const NumberSeparators& separators) {
  std::string text(errorText);
  if (!text.empty() && text.back() != '.')
    text += '.';
  text += "\n\nDatei: ";
  text += path;
  text += "\nDie Aufnahme (" + Values(count, separators) +
          ") ist erhalten und kann unter einem anderen Namen oder in einem anderen Ordner "
          "gespeichert werden.";
  return text;
}

std::string HeldPeakText(std::optional<float> peak, bool minimum, int decimalPlaces, ForceUnit unit,
                         const NumberSeparators& separators) {
  if (!peak)
    return {};
  std::string text = minimum ? "Min. " : "Max. ";
  text += FormatNumber(*peak, decimalPlaces, kDisplaySignificantDigits, separators);
  if (const std::string_view symbol = UnitSymbol(unit); !symbol.empty()) {
    text += ' ';
    text += symbol;
  }
  return text;
}

} // namespace dynlog
