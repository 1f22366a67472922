#pragma once
// The texts and decisions of the program update that need no operating system: the names of the
// server's files, the lines of the update log, the question put to the user and when a reply
// counts as a complete download.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dynlog {

// The folder on the update server that holds the version list, the program file and the updater.
inline constexpr const char* kUpdateServerFolder = "/spezmemb/download/software/";
inline constexpr const char* kVersionListName = "update.ini";
inline constexpr const char* kUpdaterName = "update.exe";

// The version list's section and keys, and what a missing key reads as.
inline constexpr const char* kVersionSection = "KM470Programm";
inline constexpr const char* kNameKey = "Name";
inline constexpr const char* kNameMissing = ":";
inline constexpr const char* kVersionKey = "Version";
inline constexpr const char* kVersionMissing = "-1";

// Lines of the update log.
inline constexpr const char* kLogQuery = "Abfrage Versionsinformation";
inline constexpr const char* kLogDownload = "Download ";
inline constexpr const char* kLogDownloadOk = "Download OK";
inline constexpr const char* kLogNoVersionList =
    "Fehler: Versionsinformation kann nicht gelesen werden";
inline constexpr const char* kLogNameMismatch =
    "Fehler: Anwendungsname und Listen-Dateiname unterschiedlich";
inline constexpr const char* kLogVersionUnclear =
    "Fehler: empfangene Versionsinformation unverständlich";
inline constexpr const char* kLogNoFile = "Fehler: keine Datei da";
inline constexpr const char* kLogCancelled = "Update abgebrochen";

// The running program's full path split into its folder, which keeps its trailing backslash so
// that file names can be appended directly, and its file name.
struct ProgramLocation {
  std::string folder;
  std::string fileName;
};
ProgramLocation SplitProgramPath(std::string_view fullPath);

// The name the new program file has on the server and on disk: the program's file name with its
// extension replaced by ".ex_" (appended when it has none). "dynlog.exe" and "dynlog" both give
// "dynlog.ex_".
std::string NewProgramFileName(std::string_view programFileName);

// The question put to the user. versionCaption is the version label's caption, which already
// begins with "Version ".
std::string UpdateQuestionText(std::string_view offeredVersion, std::string_view versionCaption);

// The progress line of a download: "2048 Bytes von 5120 übertragen " (expected 0: no length was
// announced).
std::string ProgressText(std::int64_t receivedBytes, std::int64_t expectedBytes);

// What a finished request left behind: the reply as the HTTP client read it and the body as it
// lies on disk.
struct DownloadReply {
  bool headerValid = false; // the header block arrived whole and kept to the rules
  int replyCode = 0;
  std::optional<std::int64_t> announcedLength;
  std::int64_t bodyBytes = 0;
  std::string_view bodyStart; // the first bytes of the body (two are enough)
};

// Whether a reply delivered the whole file: status 200, a complete and sound header, the body as
// long as announced or, when no length was announced, not empty; and a program (the new program
// file, the updater) starts with the "MZ" of a Windows program. Error pages, partial content,
// cut-off or overlong transfers are no downloads.
bool DownloadComplete(const DownloadReply& reply, bool mustBeProgram);

// Whether the offered version can be shown to the user: not the missing key's "-1", at most 64
// characters, and no control characters. Anything else is not a version but something the server
// should not have sent.
bool VersionTextReadable(std::string_view version);

// The update server's host: the environment's value when it is set and not empty, else the one
// the program was built with. It may carry a port ("127.0.0.1:8080").
std::string ChooseUpdateHost(const char* environmentValue, std::string_view builtInHost);

} // namespace dynlog
