#pragma once
// The signed side of the program update, as far as it needs no operating system: the build's
// public key, the file list that a signed version list carries, and whether an offered version is
// newer than the running one.
//
// A signed update server offers "update.sig" beside "update.ini": an ECDSA P-256 signature, the
// 32 bytes of r followed by the 32 bytes of s, over the SHA-256 of update.ini exactly as it lies on
// the server. update.ini names, in its section "Dateien", each file of the update with its size
// and SHA-256:
//
//   [Dateien]
//   dynlog.ex_=200000 3f2a...(64 hex digits)
//   update.exe=51234 9b01...
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dynlog {

inline constexpr const char* kSignatureName = "update.sig";
inline constexpr const char* kFileListSection = "Dateien";

// Lines of the update log for the signature and the files it vouches for.
inline constexpr const char* kLogSignatureQuery = "Abfrage Signatur";
inline constexpr const char* kLogBadSignature = "Fehler: Signatur ungültig";
inline constexpr const char* kLogFileListIncomplete = "Fehler: signierte Dateiliste unvollständig";
inline constexpr const char* kLogNotNewer =
    "Fehler: signierte Version ist nicht neuer als die laufende";
inline constexpr const char* kLogFileDamaged = "Fehler: Datei beschädigt";

// The one line of the info window that tells which kind of build this is.
inline constexpr const char* kSignedUpdatesText = "Updates nur mit gültiger Signatur";
inline constexpr const char* kUnsignedUpdatesText = "Updates ohne Signaturprüfung";

// A P-256 public key as the point's two coordinates X and Y, 32 bytes each, big-endian.
using UpdatePublicKey = std::array<unsigned char, 64>;
// The raw signature: r and s, 32 bytes each, big-endian.
inline constexpr std::size_t kSignatureBytes = 64;

using Sha256 = std::array<unsigned char, 32>;

// The build's key from its text form: 130 hex digits of the uncompressed point ("04" X Y) or the
// 128 of X Y alone. An empty text is no key (the build does not check signatures); any other text
// that is not a key gives none too, and the build then accepts no update at all.
std::optional<UpdatePublicKey> ParsePublicKey(std::string_view hex);

// What the file list says of one file.
struct SignedFile {
  std::int64_t size = 0;
  Sha256 sha256{};
};

// One entry of the file list: the decimal size, blanks, and 64 hex digits. Anything else is none.
std::optional<SignedFile> ParseSignedFile(std::string_view entry);

// Whether the offered version is newer than the running one. Both are up to four decimal numbers
// separated by points ("1.0.0.2"); the running one may begin with the version label's "Version ".
// Missing numbers count as 0. A text that is not such a version is never newer: a signed list that
// cannot be compared cannot be shown to be no replay.
bool SignedVersionNewer(std::string_view offered, std::string_view running);

} // namespace dynlog
