#pragma once
// The pictures of a saved test without a person: --report makes the one-page report, --picture
// the chart alone, each as a PNG file. No window, no unit: the file is read, painted and written.
#include <string>
#include <vector>

namespace dynlog {

// Runs --report or --picture with the arguments after the program name; returns the exit code:
// 0 written, 2 bad arguments (a missing file or folder, an existing PNG without --overwrite, the
// program's own files), 4 the PNG not written, 8 the saved test not readable (nothing written).
int RunReportMode(const std::vector<std::string>& arguments);

} // namespace dynlog
