#include "info/updatetext.h"

namespace dynlog {

ProgramLocation SplitProgramPath(std::string_view fullPath) {
  const std::size_t cut = fullPath.find_last_of("\\/:");
  if (cut == std::string_view::npos)
    return {{}, std::string(fullPath)};
  return {std::string(fullPath.substr(0, cut + 1)), std::string(fullPath.substr(cut + 1))};
}

std::string NewProgramFileName(std::string_view name) {
  // The extension is what follows the last point of the file name itself; a point in a folder
  // name does not count.
  const std::size_t lastSeparator = name.find_last_of("\\/:");
  const std::size_t nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart)
    dot = name.size();
  return std::string(name.substr(0, dot)) + ".ex_";
}

std::string UpdateQuestionText(std::string_view offeredVersion, std::string_view versionCaption) {
  std::string text = "downloadbare Version :";
  text += offeredVersion;
  text += "     ihre aktuelle Version: ";
  text += versionCaption;
  text += "     download?";
  return text;
}

std::string ProgressText(std::int64_t receivedBytes, std::int64_t expectedBytes) {
  return std::to_string(receivedBytes) + " Bytes von " + std::to_string(expectedBytes) +
         " übertragen ";
}

bool DownloadComplete(int replyCode, std::int64_t expectedBytes, std::int64_t receivedBytes) {
  if (replyCode < 200 || replyCode > 299)
    return false;
  return expectedBytes == 0 || receivedBytes == expectedBytes;
}

std::string ChooseUpdateHost(const char* environmentValue, std::string_view builtInHost) {
  if (environmentValue != nullptr && *environmentValue != '\0')
    return environmentValue;
  return std::string(builtInHost);
}

} // namespace dynlog
