#include "base/errorbox.h"

#include "base/text.h"

#include <windows.h>

#include <exception>

namespace base {
namespace {

std::string& TitleStorage() {
  static std::string title;
  return title;
}

ErrorSink g_sink = nullptr;

// The last character of a UTF-8 text as a code point (0 for an empty text).
unsigned LastCodePoint(std::string_view s) {
  if (s.empty())
    return 0;
  size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
    --i;
  const std::wstring w = Widen(s.substr(i));
  return w.empty() ? static_cast<unsigned char>(s.back()) : static_cast<unsigned>(w[0]);
}

} // namespace

void SetApplicationTitle(std::string_view utf8Title) {
  TitleStorage() = std::string(utf8Title);
}
const std::string& ApplicationTitle() {
  return TitleStorage();
}

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (LastCodePoint(text) > '.')
    text += '.';
  return text;
}

void ShowErrorBox(std::string_view message) {
  const std::string text = ErrorBoxText(message);
  if (g_sink) {
    g_sink(text);
    return;
  }
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(ApplicationTitle()).c_str(),
              MB_OK | MB_ICONERROR);
}

void ReportCurrentException() noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& e) {
      ShowErrorBox(e.what());
    } catch (...) {
      ShowErrorBox("Unbekannter Fehler");
    }
  } catch (...) {
    // Nothing more can be done; the program goes on.
  }
}

void SetErrorSink(ErrorSink sink) {
  g_sink = sink;
}

} // namespace base
