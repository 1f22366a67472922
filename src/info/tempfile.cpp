#include "info/tempfile.h"

#include "base/handles.h"
#include "base/text.h"
#include "net/neterrors.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace dynlog {

TempFile TempFile::CreateIn(const std::string& folder) {
  // GetTempFileName writes at most MAX_PATH characters and the terminating zero.
  wchar_t name[MAX_PATH + 1] = {};
  if (GetTempFileNameW(base::Widen(folder).c_str(), L"~tm", 0, name) == 0)
    throw EFileError::CannotCreate(folder + "~tm.tmp");
  return TempFile(base::Narrow(name));
}

TempFile TempFile::Create() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH)
    throw EFileError::CannotCreate("~tm.tmp");
  return CreateIn(base::Narrow(folder));
}

TempFile::TempFile(TempFile&& other) noexcept : name_(std::exchange(other.name_, {})) {}

void TempFile::Remove() noexcept {
  if (name_.empty())
    return;
  try {
    DeleteFileW(base::Widen(name_).c_str());
  } catch (...) {
    // Only the conversion can fail, and then there is nothing to delete by that name.
  }
  name_.clear();
}

bool TempFile::MoveTo(const std::string& target) {
  if (!MoveFileExW(base::Widen(name_).c_str(), base::Widen(target).c_str(),
                   MOVEFILE_REPLACE_EXISTING))
    return false;
  name_.clear();
  return true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(base::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t bytes) {
  base::UniqueFile file(CreateFileW(base::Widen(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size))
    return std::nullopt;
  FileHead head;
  head.size = size.QuadPart;
  head.start.resize(bytes);
  DWORD got = 0;
  if (!ReadFile(file.get(), head.start.data(), static_cast<DWORD>(bytes), &got, nullptr))
    return std::nullopt;
  head.start.resize(got);
  return head;
}

} // namespace dynlog
