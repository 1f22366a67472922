#include "files/savedtestfile.h"

#include <windows.h>

#include <algorithm>

#include "base/fileerror.h"
#include "base/handles.h"
#include "base/text.h"

namespace dynlog {

OpenedTest ReadSavedTestFile(std::string_view utf8Path, const NumberSeparators& system) {
  base::UniqueFile file(CreateFileW(base::Widen(utf8Path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file)
    throw base::FileError(GetLastError());
  return ReadTestFile(
      [&file](char* buffer, std::size_t size) -> std::size_t {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 24));
        if (!ReadFile(file.get(), buffer, want, &got, nullptr))
          throw base::FileError(GetLastError());
        return got;
      },
      system);
}

} // namespace dynlog
