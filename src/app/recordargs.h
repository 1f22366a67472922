#pragma once
// The command line of the two modes without a person:
//   dynlog.exe --record SECONDS (--output FILE | --series FOLDER) [--rate R] [--average]
//              [--screenshot FILE.bmp] [--overwrite] [TEST]
//   dynlog.exe --stream FILE [--seconds N] [--rate R] [--average] [--overwrite] [TEST]
// with R one of 320|160|80|40|20|10|5|2,5 and TEST any of --unit U, --part TEXT,
// --operator TEXT, --order TEXT, --comment TEXT, --max-limits LOW:HIGH, --series FOLDER, and
// the conditions --start-above F | --start-on-input, --pre SECONDS, --stop-below PERCENT
// [--stop-min F], --stop-on-input, --zero.
#include "test/conditions.h"
#include "test/samplerate.h"
#include "test/trace.h"

#include <cstdint>
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
  std::string output; // UTF-8: the file of --output or of --stream, as WindowsFileName gives it
  SampleRate rate = SampleRate::Hz10;
  bool average = false;
  std::string screenshot; // UTF-8, empty: none (--record only)
  bool overwrite = false; // an existing file may be replaced
  // The test: --part, --operator, --order, --comment and --max-limits as given (nothing given:
  // empty, no limits); the unit only when --unit is given, else km470.ini's.
  TestDescription test;
  bool unitGiven = false;
  std::string series; // UTF-8, the series folder; empty: none
  // When the test starts and ends by itself; with a start condition SECONDS bounds the whole run,
  // the wait for the start included.
  TestConditions conditions;
  bool zero = false; // zero on the first half second, before arming
};

// Whether Windows takes the name as a device rather than a file: con, prn, aux, nul, conin$,
// conout$, com1 to com9 or lpt1 to lpt9, in any case, with or without an extension, in any
// folder. Written to, `com2` is the unit's own serial line.
bool IsDeviceName(std::string_view path);
// Why a device name is refused as a file, for the user.
std::string DeviceMessage(const std::string& name);

// The name Windows really creates for path: trailing points and blanks dropped ("x.csv. " is
// x.csv), so that the file's form is chosen by the name it will have.
std::string WindowsFileName(std::string_view path);

// The folder a file name lies in, as Windows opens it: "C:\\m" for "C:\\m\\a.csv", the root
// "C:\\" for "C:\\a.csv", empty for a name in the working folder.
std::string ContainingFolder(std::string_view path);

// Parses the arguments after the program name. On a mistake returns nothing and sets error to a
// German message for the user.
std::optional<RecordArgs> ParseRecordArgs(const std::vector<std::string>& args, std::string& error);

// The values of SECONDS at valuesPerSecond, as --record and --stream --seconds keep them: 120 for
// 3 s at 40 a second.
std::uint64_t ValueCount(double seconds, double valuesPerSecond);

// The warning --record gives before it starts when SECONDS at valuesPerSecond is more than the
// recording's 10000 values; nothing when they fit.
std::optional<std::string> RecordLimitWarning(double seconds, double valuesPerSecond);

inline constexpr const char* kRecordUsage =
    "Aufruf: dynlog.exe --record SEKUNDEN --output DATEI [--rate 320|160|80|40|20|10|5|2,5] "
    "[--average] [--screenshot DATEI.bmp] [--overwrite] [PRÜFUNG] [BEDINGUNGEN]\n"
    "   oder dynlog.exe --stream DATEI [--seconds SEKUNDEN] [--rate 320|160|80|40|20|10|5|2,5] "
    "[--average] [--overwrite] [PRÜFUNG] [BEDINGUNGEN]\n"
    "PRÜFUNG: [--unit N|kN|g|kg|t|lbf] [--part TEXT] [--operator TEXT] [--order TEXT] "
    "[--comment TEXT] [--max-limits UNTEN:OBEN] [--series ORDNER]; mit --series darf --output "
    "fehlen\n"
    "BEDINGUNGEN: [--start-above KRAFT | --start-on-input] [--pre SEKUNDEN] "
    "[--stop-below PROZENT [--stop-min KRAFT]] [--stop-on-input] [--zero]";

} // namespace dynlog
