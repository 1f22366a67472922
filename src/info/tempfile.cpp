#include "info/tempfile.h"

#include "base/fileerror.h"
#include "base/handles.h"
#include "base/text.h"
#include "info/installsteps.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace dynlog {

TempFile TempFile::CreateIn(const std::string& folder) {
  static std::uint32_t next = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int tries = 0; tries < 1000; ++tries) {
    const std::string name = folder + UpdateTempName(next++);
    const base::UniqueFile file(CreateFileW(base::Widen(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
      return TempFile(name);
    if (GetLastError() != ERROR_FILE_EXISTS)
      break;
  }
  throw base::FileError::CannotCreate(folder + UpdateTempName(0));
}

TempFile TempFile::Create() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH)
    throw base::FileError::CannotCreate(UpdateTempName(0));
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

void* HoldFile(const std::string& path) {
  return CreateFileW(base::Widen(path).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool RenameHeld(void* file, const std::string& target, bool replace) {
  // The name in the system's own form: a plain drive path is not taken here. "C:\x" becomes
  // "\??\C:\x", "\\server\share\x" "\??\UNC\server\share\x", "\\?\C:\x" "\??\C:\x".
  std::wstring name = base::Widen(target);
  if (name.starts_with(L"\\\\?\\"))
    name = name.substr(4);
  else if (name.starts_with(L"\\\\"))
    name = L"UNC\\" + name.substr(2);
  name = L"\\??\\" + name;
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), info->FileName);
  return SetFileInformationByHandle(file, FileRenameInfo, info,
                                    static_cast<DWORD>(buffer.size())) != 0;
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
