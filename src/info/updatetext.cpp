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

std::string UpdateFailedText(std::string_view host, std::string_view reason) {
  return "Update fehlgeschlagen (Server " + std::string(host) + "): " + std::string(reason);
}

std::string ChangedAfterCheckText(std::string_view fileName) {
  return "Fehler: " + std::string(fileName) + " nach der Prüfung verändert";
}

std::string OverLimitText(std::string_view fileName, std::int64_t limit) {
  return "Fehler: " + std::string(fileName) + " ist größer als " + std::to_string(limit) + " Bytes";
}

std::string UpdateFileUrl(std::string_view host, std::string_view fileName) {
  std::string url = "http://";
  url += host;
  if (host.find(':') == std::string_view::npos)
    url += ":80";
  return url + kUpdateServerFolder + std::string(fileName);
}

bool DownloadComplete(const DownloadReply& reply, bool mustBeProgram) {
  if (!reply.headerValid || reply.replyCode != 200)
    return false;
  if (reply.announcedLength ? reply.bodyBytes != *reply.announcedLength : reply.bodyBytes == 0)
    return false;
  return !mustBeProgram || reply.bodyStart.substr(0, 2) == "MZ";
}

bool VersionTextReadable(std::string_view version) {
  // 64 characters take at most 256 bytes in UTF-8; a longer text is too long whatever its bytes
  // claim to be (stray continuation bytes would otherwise count as no characters at all).
  if (version == kVersionMissing || version.size() > 64 * 4)
    return false;
  std::size_t characters = 0;
  unsigned char previous = 0;
  for (const char c : version) {
    const auto byte = static_cast<unsigned char>(c);
    // C0 controls, DEL, and the C1 controls U+0080 to U+009F (C2 80 to C2 9F in UTF-8).
    if (byte < 0x20 || byte == 0x7F || (previous == 0xC2 && byte < 0xA0))
      return false;
    previous = byte;
    // UTF-8: every byte but a continuation byte starts a character.
    if ((byte & 0xC0) != 0x80)
      ++characters;
  }
  return characters <= 64;
}

std::string ChooseUpdateHost(const char* environmentValue, std::string_view builtInHost) {
  if (environmentValue != nullptr && *environmentValue != '\0')
    return environmentValue;
  return std::string(builtInHost);
}

} // namespace dynlog
