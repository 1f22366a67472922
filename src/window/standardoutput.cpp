#include "window/standardoutput.h"

#include "base/text.h"

#include <windows.h>

#include <string>

namespace dynlog {

void WriteStandardOutput(std::string_view utf8) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!out || out == INVALID_HANDLE_VALUE) {
    if (AttachConsole(ATTACH_PARENT_PROCESS))
      out = GetStdHandle(STD_OUTPUT_HANDLE);
  }
  if (!out || out == INVALID_HANDLE_VALUE)
    return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring w = base::Widen(utf8);
    WriteConsoleW(out, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
    return;
  }
  // Redirected: UTF-8, as a script reads it.
  WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

} // namespace dynlog
