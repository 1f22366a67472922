#include "files/textfilewriter.h"

#include <algorithm>
#include <string>
#include <utility>
#include <windows.h>

#include "base/fileerror.h"
#include "base/handles.h"
#include "base/text.h"

namespace dynlog {

namespace {

// Written in pieces, so a disk that fills up is noticed at the piece that does not fit.
constexpr DWORD kChunk = 64 * 1024;

// The folder part of a full path, with its trailing backslash.
std::wstring FolderOf(const std::wstring& fullPath) {
  const std::size_t slash = fullPath.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".\\") : fullPath.substr(0, slash + 1);
}

// The temporary file beside the target: removed again unless it has become the target.
class TemporaryFile {
public:
  explicit TemporaryFile(const std::wstring& folder) {
    wchar_t name[MAX_PATH + 16] = {};
    if (GetTempFileNameW(folder.c_str(), L"dyn", 0, name) == 0)
      throw base::FileError(GetLastError());
    path_ = name;
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty())
      DeleteFileW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  // The file now lives on under another name.
  void Kept() { path_.clear(); }

private:
  std::wstring path_;
};

void WriteAll(const std::wstring& path, const std::string& bytes) {
  base::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    throw base::FileError(GetLastError());
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(kChunk, bytes.size() - done));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data() + done, piece, &written, nullptr))
      throw base::FileError(GetLastError());
    if (written == 0) // a file that takes nothing without an error: treat as full
      throw base::FileError(ERROR_DISK_FULL);
    done += written;
  }
  // Only what has reached the disk may replace the old file.
  if (!FlushFileBuffers(file.get()))
    throw base::FileError(GetLastError());
  if (!file.Close())
    throw base::FileError(GetLastError());
}

// False when replace is not set and a file of that name is there.
bool WriteBytes(std::string_view utf8Path, const std::string& bytes, bool replace = true) {
  const std::wstring path = base::Widen(utf8Path);

  // Windows refuses to replace a read-only file; Wine run as root would replace it anyway, so the
  // user's protection is honoured here rather than left to the file system.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw base::FileError(ERROR_ACCESS_DENIED);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    throw base::FileError(ERROR_ACCESS_DENIED);

  wchar_t full[MAX_PATH + 1] = {};
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH + 1, full, nullptr);
  if (n == 0 || n > MAX_PATH)
    throw base::FileError(n == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);

  // The new text goes to a file of its own in the same folder, and replaces the old file in one
  // step only once it is complete: a full disk or a failing write leaves the old file as it was.
  TemporaryFile temporary(FolderOf(full));
  WriteAll(temporary.Path(), bytes);
  if (!MoveFileExW(temporary.Path().c_str(), full,
                   (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
      return false;
    throw base::FileError(error);
  }
  temporary.Kept();
  return true;
}

} // namespace

void WriteAnsiTextFile(std::string_view utf8Path, std::string_view utf8Text) {
  // Convert before touching the disk, so that a conversion fault cannot leave anything behind.
  WriteBytes(utf8Path, base::ToAnsi(utf8Text));
}

void WriteUtf8TextFile(std::string_view utf8Path, std::string_view utf8Text) {
  WriteBytes(utf8Path, std::string(utf8Text));
}

bool WriteNewUtf8TextFile(std::string_view utf8Path, std::string_view utf8Text) {
  return WriteBytes(utf8Path, std::string(utf8Text), false);
}

} // namespace dynlog
