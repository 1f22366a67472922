#pragma once
// The command line of the two modes without a person:
//   dynlog.exe --record SECONDS --output FILE [--rate R] [--average] [--screenshot FILE.bmp]
//   dynlog.exe --stream FILE [--seconds N] [--rate R] [--average] [--overwrite]
// with R one of 320|160|80|40|20|10|5|2,5.
#include "window/samplerate.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dynlog {

// A recording lasts from one second to one day; so does a stream given --seconds.
inline constexpr double kMinRecordSeconds = 1;
inline constexpr double kMaxRecordSeconds = 86400;

struct RecordArgs {
  enum class Mode { Record, Stream };
  Mode mode = Mode::Record;
  double seconds = 0; // a stream without --seconds: 0, it runs until it is ended
  std::string output; // UTF-8: the file of --output or of --stream
  SampleRate rate = SampleRate::Hz10;
  bool average = false;
  std::string screenshot; // UTF-8, empty: none (--record only)
  bool overwrite = false; // --stream may replace an existing file
};

// Whether Windows takes the name as a device rather than a file: con, prn, aux, nul, comN or lptN,
// in any case, with or without an extension, in any folder. Written to, `com2` is the unit's own
// serial line.
bool IsDeviceName(std::string_view path);

// Parses the arguments after the program name. On a mistake returns nothing and sets error to a
// German message for the user.
std::optional<RecordArgs> ParseRecordArgs(const std::vector<std::string>& args, std::string& error);

// The warning --record gives before it starts when SECONDS at valuesPerSecond is more than the
// recording's 10000 values; nothing when they fit.
std::optional<std::string> RecordLimitWarning(double seconds, double valuesPerSecond);

inline constexpr const char* kRecordUsage =
    "Aufruf: dynlog.exe --record SEKUNDEN --output DATEI [--rate 320|160|80|40|20|10|5|2,5] "
    "[--average] [--screenshot DATEI.bmp]\n"
    "   oder dynlog.exe --stream DATEI [--seconds SEKUNDEN] [--rate 320|160|80|40|20|10|5|2,5] "
    "[--average] [--overwrite]";

} // namespace dynlog
