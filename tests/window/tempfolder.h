#pragma once
// A fresh folder under the system's temporary folder for one test, removed with all its files.

#include <string>
#include <windows.h>

namespace dynlog::test {

class TempFolder {
public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
      path_ = std::wstring(base) + L"dynlog-test-" + std::to_wstring(n);
      if (CreateDirectoryW(path_.c_str(), nullptr))
        break;
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
          continue;
        const std::wstring full = path_ + L"\\" + name;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveDirectoryW(full.c_str());
        else
          DeleteFileW(full.c_str());
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  // How many entries of the folder match a pattern such as L"*.tmp".
  int Count(const std::wstring& pattern) const {
    int n = 0;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path_ + L"\\" + pattern).c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do
        ++n;
      while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    return n;
  }

private:
  std::wstring path_;
};

} // namespace dynlog::test
