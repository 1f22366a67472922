#pragma once
// The texts and decisions of the program update that need no operating system: the names of the
// server's files, the lines of the update log, the question put to the user and when a reply
// counts as a complete download.

#include <array>
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
inline constexpr const char* kLogRunningVersionUnknown =
    "Fehler: Version des laufenden Programms nicht lesbar";

// The last line of an update that an error ended: the server and the error's text.
std::string UpdateFailedText(std::string_view host, std::string_view reason);
// The line for a file that was no longer the checked one when it was put in place.
std::string ChangedAfterCheckText(std::string_view fileName);

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

// What a finished request left behind, all the update decides on: the reply as the HTTP client
// read it, and one read of the body as it lies on disk.
struct DownloadReply {
  bool headerValid = false; // the header block arrived whole and kept to the rules
  int replyCode = 0;
  std::optional<std::int64_t> announcedLength;
  std::int64_t bodyBytes = 0;
  std::string bodyStart; // the first bytes of the body (two are enough)
  std::array<unsigned char, 32> sha256{};
};

// How a download ended: the whole file (see DownloadComplete), broken off past its limit,
// cancelled by the user, or a reply that is not the file.
enum class DownloadOutcome { Complete, OverLimit, Cancelled, Failed };

// The most each download may bring; a transfer that passes it is broken off at once. A version
// list is a few lines and a signature 64 bytes; a program file of a signed update has the size
// its list names, and in a build without signatures none is allowed beyond this.
inline constexpr std::int64_t kVersionListLimit = 64 * 1024;
inline constexpr std::int64_t kUnsignedFileLimit = 64 * 1024 * 1024;

// The log line of a download broken off at its limit.
std::string OverLimitText(std::string_view fileName, std::int64_t limit);

// The URL of a file on the update server: every request names its scheme, host and port, so that
// no port of an earlier request or redirect can stick to it; a host without a port means 80.
std::string UpdateFileUrl(std::string_view host, std::string_view fileName);

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
