#pragma once
// The command line of the pictures of a saved test, made without a person:
//   dynlog.exe --report FILE --output PAGE.png [--overwrite]    the one-page report, A4
//   dynlog.exe --picture FILE --output CHART.png [--overwrite]  the chart alone
#include <optional>
#include <string>
#include <vector>

namespace dynlog {

struct ReportArgs {
  enum class Kind { Page, Picture };
  Kind kind = Kind::Page;
  std::string input;  // UTF-8, the saved test
  std::string output; // UTF-8, the PNG file, as WindowsFileName gives it
  bool overwrite = false;
};

// The exit code when the saved test cannot be read: not opened, a line of it not readable, or no
// values in it.
inline constexpr int kReportFileUnreadable = 8;

// Whether the arguments ask for a report or a picture rather than a recording.
bool IsReportCommand(const std::vector<std::string>& args);

// Parses the arguments after the program name. On a mistake returns nothing and sets error to a
// German message for the user.
std::optional<ReportArgs> ParseReportArgs(const std::vector<std::string>& args, std::string& error);

inline constexpr const char* kReportUsage =
    "Aufruf: dynlog.exe --report DATEI --output SEITE.png [--overwrite]\n"
    "   oder dynlog.exe --picture DATEI --output BILD.png [--overwrite]";

} // namespace dynlog
