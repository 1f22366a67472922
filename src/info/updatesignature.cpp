#include "info/updatesignature.h"

#include "base/handles.h"
#include "base/text.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dynlog {
namespace {

using Algorithm = base::CngAlgorithm;
using Key = base::CngKey;
using Hash = base::CngHash;

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

Algorithm OpenAlgorithm(const wchar_t* name) {
  BCRYPT_ALG_HANDLE handle = nullptr;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&handle, name, nullptr, 0)))
    return Algorithm();
  return Algorithm(handle);
}

// A running SHA-256 that takes its input in pieces.
class Sha256Hash {
public:
  Sha256Hash() : algorithm_(OpenAlgorithm(BCRYPT_SHA256_ALGORITHM)) {
    BCRYPT_HASH_HANDLE handle = nullptr;
    if (algorithm_ &&
        Succeeded(BCryptCreateHash(algorithm_.get(), &handle, nullptr, 0, nullptr, 0, 0)))
      hash_.reset(handle);
  }
  bool Add(const void* data, std::size_t bytes) {
    return hash_ &&
           Succeeded(BCryptHashData(hash_.get(), static_cast<PUCHAR>(const_cast<void*>(data)),
                                    static_cast<ULONG>(bytes), 0));
  }
  std::optional<Sha256> Finish() {
    Sha256 digest{};
    if (!hash_ || !Succeeded(BCryptFinishHash(hash_.get(), digest.data(), digest.size(), 0)))
      return std::nullopt;
    hash_.reset();
    return digest;
  }

private:
  Algorithm algorithm_; // declared first: the hash goes before its algorithm
  Hash hash_;
};

} // namespace

bool SignatureValid(const UpdatePublicKey& key, std::string_view message,
                    std::string_view signature) {
  if (signature.size() != kSignatureBytes)
    return false;
  Sha256Hash hash;
  if (!hash.Add(message.data(), message.size()))
    return false;
  std::optional<Sha256> digest = hash.Finish();
  if (!digest)
    return false;

  const Algorithm ecdsa = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!ecdsa)
    return false;
  // The public key blob: its header, then X and Y.
  std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  BCRYPT_ECCKEY_BLOB header{};
  header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
  header.cbKey = static_cast<ULONG>(key.size() / 2);
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, key.data(), key.size());
  BCRYPT_KEY_HANDLE keyHandle = nullptr;
  if (!Succeeded(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &keyHandle,
                                     blob.data(), static_cast<ULONG>(blob.size()), 0)))
    return false;
  const Key publicKey(keyHandle);
  std::vector<unsigned char> rs(signature.begin(), signature.end());
  return BCryptVerifySignature(publicKey.get(), nullptr, digest->data(),
                               static_cast<ULONG>(digest->size()), rs.data(),
                               static_cast<ULONG>(rs.size()), 0) == 0;
}

std::optional<FileContent> ReadContent(void* file) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
    return std::nullopt;
  Sha256Hash hash;
  FileContent result;
  std::vector<unsigned char> buffer(64 * 1024);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return std::nullopt;
    if (got == 0)
      break;
    if (!hash.Add(buffer.data(), got))
      return std::nullopt;
    if (result.start.size() < 2)
      result.start.append(reinterpret_cast<const char*>(buffer.data()),
                          std::min<std::size_t>(got, 2 - result.start.size()));
    result.size += got;
  }
  const std::optional<Sha256> digest = hash.Finish();
  if (!digest)
    return std::nullopt;
  result.sha256 = *digest;
  return result;
}

std::optional<std::string> ReadWhole(void* file, std::size_t maxBytes) {
  LARGE_INTEGER size{}, start{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > maxBytes ||
      !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!bytes.empty() &&
      (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size()))
    return std::nullopt;
  return bytes;
}

} // namespace dynlog
