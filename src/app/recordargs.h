#pragma once
// The command line of the recording mode:
//   dynlog.exe --record SECONDS --output FILE [--rate 320|160|80|40|20|10|5|2,5] [--average]
//              [--screenshot FILE.bmp]
#include "window/samplerate.h"

#include <optional>
#include <string>
#include <vector>

namespace dynlog {

// A recording lasts from one second to one day.
inline constexpr double kMinRecordSeconds = 1;
inline constexpr double kMaxRecordSeconds = 86400;

struct RecordArgs {
  double seconds = 0;
  std::string output; // UTF-8
  SampleRate rate = SampleRate::Hz10;
  bool average = false;
  std::string screenshot; // UTF-8, empty: none
};

// Parses the arguments after the program name. On a mistake returns nothing and sets error to a
// German message for the user.
std::optional<RecordArgs> ParseRecordArgs(const std::vector<std::string>& args, std::string& error);

inline constexpr const char* kRecordUsage =
    "Aufruf: dynlog.exe --record SEKUNDEN --output DATEI [--rate 320|160|80|40|20|10|5|2,5] "
    "[--average] [--screenshot DATEI.bmp]";

} // namespace dynlog
