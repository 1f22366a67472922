#include "info/fileversion.h"

#include <memory>
#include <string>
#include <windows.h>

#include "base/text.h"
#include "info/versiontext.h"

namespace dynlog {

namespace {

// The wide functions, so that a program kept in a folder whose name the ANSI code page cannot
// spell still finds its own version.
std::string VersionOf(const std::wstring& path) {
  const std::string none = "0";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0)
    return none;
  const auto block = std::make_unique<unsigned char[]>(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.get()))
    return none;
  void* root = nullptr;
  UINT rootSize = 0;
  if (!VerQueryValueW(block.get(), L"\\", &root, &rootSize) || root == nullptr ||
      rootSize < sizeof(VS_FIXEDFILEINFO))
    return none;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(root);
  return VersionText(info->dwFileVersionMS, info->dwFileVersionLS);
}

} // namespace

std::string FileVersionText(std::string_view utf8Path) {
  return VersionOf(base::Widen(utf8Path));
}

std::string RunningProgramVersionText() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0)
      return "0";
    if (n < path.size()) {
      path.resize(n);
      return VersionOf(path);
    }
    if (path.size() >= 32768) // longer than any path the system can hold
      return "0";
    path.resize(path.size() * 2); // cut short: the path is longer than the buffer
  }
}

} // namespace dynlog
