#include "app/reportargs.h"

#include "app/recordargs.h"

#include <set>

namespace dynlog {

bool IsReportCommand(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--report" || a == "--picture")
      return true;
  }
  return false;
}

std::optional<ReportArgs> ParseReportArgs(const std::vector<std::string>& args,
                                          std::string& error) {
  ReportArgs out;
  auto fail = [&](std::string message) -> std::optional<ReportArgs> {
    error = std::move(message);
    return std::nullopt;
  };
  std::set<std::string> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.starts_with("--") && !given.insert(a).second)
      return fail(a + " ist mehrfach angegeben");
    if (a == "--overwrite") {
      out.overwrite = true;
      continue;
    }
    if (a != "--report" && a != "--picture" && a != "--output")
      return fail("unbekanntes Argument: " + a);
    // A value that starts with "--" is the next option, as with --record.
    if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].starts_with("--"))
      return fail(a + " braucht einen Dateinamen");
    const std::string& name = args[++i];
    if (IsDeviceName(name))
      return fail(DeviceMessage(name));
    if (a == "--output") {
      out.output = WindowsFileName(name);
    } else {
      out.kind = a == "--report" ? ReportArgs::Kind::Page : ReportArgs::Kind::Picture;
      out.input = name;
    }
  }
  if (given.contains("--report") && given.contains("--picture"))
    return fail("--report und --picture schließen einander aus");
  if (out.output.empty())
    return fail("--output fehlt");
  // The picture is always a PNG: a name that says otherwise would mislead whoever opens it.
  const std::size_t dot = out.output.find_last_of('.');
  std::string extension = dot == std::string::npos ? "" : out.output.substr(dot);
  for (char& c : extension)
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  if (extension != ".png")
    return fail("--output braucht einen Dateinamen auf .png: " + out.output);
  return out;
}

} // namespace dynlog
