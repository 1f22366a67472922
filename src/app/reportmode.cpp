#include "app/reportmode.h"

#include "app/automation.h"
#include "app/recordingmode.h"
#include "app/reportargs.h"
#include "base/errorbox.h"
#include "base/localeformat.h"
#include "base/text.h"
#include "chart/reportpage.h"
#include "chart/savedchartpicture.h"
#include "files/savedtestfile.h"
#include "files/textfilewriter.h"
#include "ui/pngfile.h"

#include <windows.h>

namespace dynlog {
namespace {

// Why the saved test cannot be the input, or nothing when it can be tried.
std::optional<std::string> InputRefusal(const ReportArgs& args) {
  const DWORD attributes = GetFileAttributesW(base::Widen(args.input).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return args.input + " gibt es nicht";
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return args.input + " ist ein Ordner; eine gespeicherte Messung angeben";
  if (SameFile(args.input, args.output))
    return "--output nennt die gelesene Datei selbst: " + args.output;
  return std::nullopt;
}

// The file's name without its folder, as the report names it.
std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int RunReportMode(const std::vector<std::string>& arguments) {
  std::string error;
  const auto args = ParseReportArgs(arguments, error);
  if (!args) {
    PrintError("dynlog: " + error);
    PrintError(kReportUsage);
    return kRecordBadArguments;
  }
  for (const auto& refusal : {InputRefusal(*args), OutputRefusal(args->output, args->overwrite)}) {
    if (refusal) {
      PrintError("dynlog: " + *refusal);
      return kRecordBadArguments;
    }
  }
  const NumberSeparators separators = SystemNumberSeparators();
  OpenedTest test;
  try {
    test = ReadSavedTestFile(args->input, separators);
  } catch (const std::exception& e) {
    PrintError("dynlog: " + args->input + ": " + base::ErrorBoxText(e.what()));
    return kReportFileUnreadable;
  }
  // A picture of part of a file would pass for the whole test.
  if (test.unread) {
    PrintError("dynlog: " + args->input + ": " + UnreadLineText(*test.unread) + "; " +
               args->output + " nicht geschrieben");
    return kReportFileUnreadable;
  }
  // A head alone would make a report of nothing that passes for a test.
  if (test.values.Count() == 0) {
    PrintError("dynlog: " + args->input + ": keine Messwerte; " + args->output +
               " nicht geschrieben");
    return kReportFileUnreadable;
  }
  try {
    const base::MemoryBitmap picture =
        args->kind == ReportArgs::Kind::Page
            ? RenderReportPage(test, FileNameOf(args->input), separators)
            : RenderTestPicture(test, separators);
    WriteUtf8TextFile(args->output, ui::EncodePng(picture));
  } catch (const std::exception& e) {
    PrintError("dynlog: " + args->output + ": " + base::ErrorBoxText(e.what()));
    return kRecordNotWritten;
  }
  return kRecordOk;
}

} // namespace dynlog
