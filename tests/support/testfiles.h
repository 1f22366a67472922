#pragma once
// Files and folders of the tests under Wine: a file's bytes, and a fresh folder for one test that
// goes with everything in it.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace testsupport {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same for the tests that name files by narrow strings.
inline std::string ReadFile(const std::string& path) {
  return ReadBytes(path);
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh, empty folder under the system's temporary folder, removed with all its files (read-only
// ones included). MakeCurrent: it is the working folder for the folder's lifetime.
class TempFolder {
public:
  enum Current { KeepCurrent, MakeCurrent };
  explicit TempFolder(Current current = KeepCurrent) {
    namespace fs = std::filesystem;
    for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
      path_ = fs::temp_directory_path() / (L"dynlog-test-" + std::to_wstring(n));
      if (CreateDirectoryW(path_.c_str(), nullptr))
        break;
    }
    if (current == MakeCurrent) {
      previous_ = fs::current_path();
      fs::current_path(path_);
    }
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!previous_.empty())
      fs::current_path(previous_, ec);
    for (const auto& entry : fs::recursive_directory_iterator(path_, ec))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return (path_ / name).wstring(); }
  // How many entries of the folder match a pattern such as L"*.tmp".
  int Count(const std::wstring& pattern) const {
    int n = 0;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path_ / pattern).c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do
        ++n;
      while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    return n;
  }

private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// A fresh folder that is the working folder for its lifetime, named by a narrow string.
class TempWorkDir {
public:
  const std::string& Path() const { return path_; }

private:
  TempFolder folder_{TempFolder::MakeCurrent};
  std::string path_ = folder_.Path().string();
};

} // namespace testsupport
