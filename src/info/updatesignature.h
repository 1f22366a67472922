#pragma once
// The checks of a signed update, with the system's own cryptography (CNG): whether a signature
// was made with the vendor's key, and a downloaded file's size and SHA-256.
#include "info/updatemanifest.h"

#include <optional>
#include <string>
#include <string_view>

namespace dynlog {

// Whether signature (r and s, 32 bytes each) is a valid ECDSA P-256 signature by key over the
// SHA-256 of message. False for a signature of any other length and whenever the system cannot
// check it: an update that cannot be checked is not taken.
bool SignatureValid(const UpdatePublicKey& key, std::string_view message,
                    std::string_view signature);

// One read of an open file from its start: its size, its first two bytes and its SHA-256; none
// when it cannot be read.
struct FileContent {
  std::int64_t size = 0;
  std::string start;
  Sha256 sha256{};
};
std::optional<FileContent> ReadContent(void* file);

// The whole of a small open file, read from its start; none when it cannot be read or is longer
// than maxBytes.
std::optional<std::string> ReadWhole(void* file, std::size_t maxBytes);

} // namespace dynlog
