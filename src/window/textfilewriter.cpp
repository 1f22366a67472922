#include "window/textfilewriter.h"

#include <algorithm>
#include <string>
#include <utility>
#include <windows.h>

#include "ui/text.h"
#include "window/fileerrortext.h"

namespace dynlog {

namespace {

class FileHandle {
public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (valid())
      CloseHandle(h_);
  }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  // Closes now and reports whether the system accepted the close (buffered data may fail here).
  bool close() {
    const HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
    return CloseHandle(h) != 0;
  }

private:
  HANDLE h_;
};

// Written in pieces so that a disk that fills up keeps what fitted.
constexpr DWORD kChunk = 64 * 1024;

} // namespace

void WriteAnsiTextFile(std::string_view utf8Path, std::string_view utf8Text) {
  // Convert before touching the file, so that a conversion fault cannot leave an empty file.
  const std::string bytes = ui::ToAnsi(utf8Text);
  const std::wstring path = ui::Widen(utf8Path);

  // Windows refuses to replace a read-only file; Wine run as root would replace it anyway, so the
  // user's protection is honoured here rather than left to the file system.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw FileError(ERROR_ACCESS_DENIED);

  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid())
    throw FileError(GetLastError());

  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(kChunk, bytes.size() - done));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data() + done, piece, &written, nullptr))
      throw FileError(GetLastError());
    if (written == 0) // a file that takes nothing without an error: treat as full
      throw FileError(ERROR_DISK_FULL);
    done += written;
  }
  if (!file.close())
    throw FileError(GetLastError());
}

} // namespace dynlog
