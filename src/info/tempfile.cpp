#include "info/tempfile.h"

#include "base/fileerror.h"
#include "base/handles.h"
#include "base/text.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace dynlog {

TempFile TempFile::CreateIn(const std::string& folder) {
  // GetTempFileName writes at most MAX_PATH characters and the terminating zero.
  wchar_t name[MAX_PATH + 1] = {};
  if (GetTempFileNameW(base::Widen(folder).c_str(), L"~tm", 0, name) == 0)
    throw base::FileError::CannotCreate(folder + "~tm.tmp");
  return TempFile(base::Narrow(name));
}

TempFile TempFile::Create() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH)
    throw base::FileError::CannotCreate("~tm.tmp");
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

void* OpenUnwritable(const std::string& path, bool denyDelete) {
  const DWORD share = FILE_SHARE_READ | (denyDelete ? 0 : FILE_SHARE_DELETE);
  return CreateFileW(base::Widen(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SameFile(void* a, void* b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

std::string SystemErrorText(unsigned long code) {
  wchar_t text[512] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, text, 512, nullptr);
  std::wstring_view view(text, n);
  while (!view.empty() && (view.back() == L'\n' || view.back() == L'\r' || view.back() == L' '))
    view.remove_suffix(1);
  if (view.empty())
    return "Systemfehler " + std::to_string(code);
  return base::Narrow(view);
}

} // namespace dynlog
