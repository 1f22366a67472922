#include "info/versionlist.h"

#include "base/text.h"

#include <windows.h>

#include <vector>

namespace dynlog {

std::string VersionList::Read(const std::string& section, const std::string& key,
                              const std::string& fallback) const {
  const std::wstring file = base::Widen(path_);
  const std::wstring wSection = base::Widen(section);
  const std::wstring wKey = base::Widen(key);
  const std::wstring wFallback = base::Widen(fallback);
  // The system cuts a value that does not fit and then reports the buffer as full; ask again with
  // more room, so that no value is silently shortened.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    const DWORD got =
        GetPrivateProfileStringW(wSection.c_str(), wKey.c_str(), wFallback.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer.size()), file.c_str());
    if (got + 1 < buffer.size() || buffer.size() >= 65536)
      return base::Narrow(std::wstring_view(buffer.data(), got));
    buffer.resize(buffer.size() * 4);
  }
}

void VersionList::Close() noexcept {
  try {
    // All three null: the system writes back and forgets its copy of the file.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, base::Widen(path_).c_str());
  } catch (...) {
    // Nothing to close when the name cannot even be converted.
  }
}

} // namespace dynlog
