#include "app/recordargs.h"

#include "test/verdict.h"

#include <cmath>
#include <cstdlib>
#include <set>

namespace dynlog {
namespace {

// Seconds as a person writes them: digits with an optional fraction after a point or a comma.
// Nothing else: strtod would also take "0x10" as 16, "1e3" and "inf".
std::optional<double> SecondsFromText(const std::string& text) {
  std::string normal;
  bool digits = false, separator = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
      normal += c;
    } else if ((c == '.' || c == ',') && !separator && digits) {
      separator = true;
      normal += '.';
    } else {
      return std::nullopt;
    }
  }
  if (!digits || normal.back() == '.' || normal.size() > 12)
    return std::nullopt;
  return std::strtod(normal.c_str(), nullptr);
}

// The option that names one of the test's texts.
std::string TestTrace::*TraceField(const std::string& option) {
  if (option == "--part")
    return &TestTrace::part;
  if (option == "--operator")
    return &TestTrace::tester;
  if (option == "--order")
    return &TestTrace::order;
  if (option == "--comment")
    return &TestTrace::comment;
  return nullptr;
}

std::optional<SampleRate> RateFromText(const std::string& text) {
  for (int i = 0; i <= static_cast<int>(SampleRate::Hz2_5); ++i) {
    const auto rate = static_cast<SampleRate>(i);
    if (RateText(rate) == text)
      return rate;
  }
  if (text == "2.5")
    return SampleRate::Hz2_5;
  return std::nullopt;
}

} // namespace

std::string DeviceMessage(const std::string& name) {
  return name + " ist ein Gerätename (wie CON, NUL, COM1, LPT1), keine Datei; einen anderen "
                "Dateinamen wählen";
}

bool IsDeviceName(std::string_view path) {
  // Trailing blanks, points and colons do not make a device a file ("nul.", "com2:").
  while (!path.empty() && (path.back() == ' ' || path.back() == '.' || path.back() == ':'))
    path.remove_suffix(1);
  const std::size_t folder = path.find_last_of("\\/:");
  std::string_view name = folder == std::string_view::npos ? path : path.substr(folder + 1);
  // The device whatever follows it: "con.txt", "nul.tar.gz", "com1 .txt".
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ')
    name.remove_suffix(1);
  std::string lower;
  for (const char c : name)
    lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (lower == device)
      return true;
  }
  // Only one digit from 1 on: com10 and com0 are names like any other.
  return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
         lower[3] >= '1' && lower[3] <= '9';
}

std::string WindowsFileName(std::string_view path) {
  std::string_view name = path;
  while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
    name.remove_suffix(1);
  // "." and ".." are folders, and a name of points alone is no file name: left for the check
  // that tells a folder or a missing one.
  const std::size_t folder = name.find_last_of("\\/:");
  if (name.size() == (folder == std::string_view::npos ? 0 : folder + 1))
    return std::string(path);
  return std::string(name);
}

std::string ContainingFolder(std::string_view path) {
  const std::size_t last = path.find_last_of("\\/");
  if (last == std::string_view::npos)
    return {};
  // The root keeps its separator: "C:" alone is the drive's working folder.
  const bool root = last == 0 || path[last - 1] == ':';
  return std::string(path.substr(0, root ? last + 1 : last));
}

std::optional<RecordArgs> ParseRecordArgs(const std::vector<std::string>& args,
                                          std::string& error) {
  RecordArgs out;
  bool record = false, stream = false, haveSeconds = false, haveOutput = false;
  auto fail = [&](std::string message) -> std::optional<RecordArgs> {
    error = std::move(message);
    return std::nullopt;
  };
  std::set<std::string> given;
  double preSeconds = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // A value that starts with "--" is the next option, not a value: `--stream --overwrite`
    // lacks its file name rather than naming a file "--overwrite".
    auto next = [&]() -> const std::string* {
      if (i + 1 >= args.size() || args[i + 1].starts_with("--"))
        return nullptr;
      return &args[++i];
    };
    // Given twice, one of the two would silently win.
    if (a.starts_with("--") && !given.insert(a).second)
      return fail(a + " ist mehrfach angegeben");
    if (a == "--record" || a == "--seconds") {
      const std::string* v = next();
      if (!v)
        return fail(a + " braucht die Dauer in Sekunden");
      const auto s = SecondsFromText(*v);
      if (!s || *s < kMinRecordSeconds || *s > kMaxRecordSeconds)
        return fail("ungültige Dauer: " + *v + " (SEKUNDEN von 1 bis 86400)");
      out.seconds = *s;
      (a == "--record" ? record : haveSeconds) = true;
    } else if (a == "--output" || a == "--stream") {
      const std::string* v = next();
      if (!v || v->empty())
        return fail(a + " braucht einen Dateinamen");
      if (IsDeviceName(*v))
        return fail(DeviceMessage(*v));
      out.output = WindowsFileName(*v);
      (a == "--stream" ? stream : haveOutput) = true;
    } else if (a == "--rate") {
      const std::string* v = next();
      if (!v)
        return fail("--rate braucht einen Wert");
      const auto rate = RateFromText(*v);
      if (!rate)
        return fail("ungültige Messrate: " + *v);
      out.rate = *rate;
    } else if (a == "--average") {
      out.average = true;
    } else if (a == "--overwrite") {
      out.overwrite = true;
    } else if (a == "--unit") {
      const std::string* v = next();
      const auto unit = v ? ForceUnitFromText(*v) : std::nullopt;
      if (!unit)
        return fail("ungültige Einheit: " + (v ? *v : std::string()) +
                    " (N, kN, g, kg, t oder lbf)");
      out.test.unit = *unit;
      out.unitGiven = true;
    } else if (const auto field = TraceField(a)) {
      const std::string* v = next();
      if (!v || v->empty())
        return fail(a + " braucht einen Text");
      out.test.trace.*field = *v;
    } else if (a == "--max-limits") {
      const std::string* v = next();
      if (!v)
        return fail("--max-limits braucht UNTEN:OBEN (eine Seite darf fehlen: :900)");
      const auto limits = LimitsFromText(*v);
      if (!limits)
        return fail("ungültige Grenzen: " + *v +
                    " (UNTEN:OBEN mit UNTEN höchstens OBEN, eine Seite darf fehlen: :900)");
      out.test.limits = *limits;
    } else if (a == "--series") {
      const std::string* v = next();
      if (!v || v->empty())
        return fail("--series braucht einen Ordner");
      if (IsDeviceName(*v))
        return fail(DeviceMessage(*v));
      out.series = WindowsFileName(*v);
    } else if (a == "--start-above" || a == "--stop-below" || a == "--stop-min") {
      const std::string* v = next();
      const auto figure = v ? LimitFromText(*v) : std::nullopt;
      if (!figure)
        return fail(a +
                    (a == "--stop-below" ? " braucht eine Prozentzahl" : " braucht eine Kraft"));
      if (a == "--start-above")
        out.conditions.start = {StartCondition::Kind::ForceAbove, *figure, 0};
      else if (a == "--stop-below")
        out.conditions.stop.breakPercent = *figure;
      else if (*figure >= 0)
        out.conditions.stop.breakMinPeak = *figure;
      else // a peak below 0 is reached by the first value: the second would already break
        return fail("ungültige Mindestkraft: " + *v + " (--stop-min ab 0)");
    } else if (a == "--pre") {
      const std::string* v = next();
      const auto pre = v ? SecondsFromText(*v) : std::nullopt;
      if (!pre)
        return fail("--pre braucht die Sekunden vor dem Start (0 bis 10)");
      preSeconds = *pre;
    } else if (a == "--start-on-input") {
      out.conditions.start.kind = StartCondition::Kind::InputOn;
    } else if (a == "--stop-on-input") {
      out.conditions.stop.inputOff = true;
    } else if (a == "--zero") {
      out.zero = true;
    } else if (a == "--screenshot") {
      const std::string* v = next();
      if (!v || v->empty())
        return fail("--screenshot braucht einen Dateinamen");
      if (IsDeviceName(*v))
        return fail(DeviceMessage(*v));
      out.screenshot = WindowsFileName(*v);
    } else {
      return fail("unbekanntes Argument: " + a);
    }
  }
  if (given.contains("--start-above") && given.contains("--start-on-input"))
    return fail("--start-above und --start-on-input schließen einander aus");
  if (given.contains("--stop-min") && !given.contains("--stop-below"))
    return fail("--stop-min gibt es nur mit --stop-below");
  if (given.contains("--pre") && !out.conditions.StartsByItself())
    return fail("--pre braucht eine Startbedingung (--start-above oder --start-on-input)");
  out.conditions.start.preSeconds = preSeconds;
  if (const auto refusal = out.conditions.Refusal())
    return fail(*refusal);
  if (stream) {
    if (record)
      return fail("--record und --stream schließen einander aus");
    if (!out.screenshot.empty())
      return fail("--screenshot gibt es nur mit --record");
    // Two names for one file: neither may silently win.
    if (haveOutput)
      return fail("--output gibt es nur mit --record; --stream nennt seine Datei selbst");
    out.mode = RecordArgs::Mode::Stream;
    if (!haveSeconds)
      out.seconds = 0;
    return out;
  }
  if (haveSeconds)
    return fail("--seconds gibt es nur mit --stream");
  if (!record)
    return fail("--record fehlt");
  if (out.output.empty() && out.series.empty())
    return fail("--output fehlt (oder --series ORDNER)");
  return out;
}

std::uint64_t ValueCount(double seconds, double valuesPerSecond) {
  return static_cast<std::uint64_t>(std::llround(seconds * valuesPerSecond));
}

std::optional<std::string> RecordLimitWarning(double seconds, double valuesPerSecond) {
  constexpr double kRecordingValues = 10000;
  if (seconds * valuesPerSecond <= kRecordingValues)
    return std::nullopt;
  return "dynlog: Warnung: die Aufnahme fasst 10000 Messwerte, bei dieser Messrate also nur die "
         "ersten " +
         std::to_string(std::lround(kRecordingValues / valuesPerSecond)) +
         " Sekunden; für längere Aufnahmen --stream DATEI verwenden";
}

} // namespace dynlog
