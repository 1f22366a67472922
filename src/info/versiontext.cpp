#include "info/versiontext.h"

namespace dynlog {

std::string VersionText(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS) {
  std::string text;
  const std::uint32_t halves[] = {fileVersionMS >> 16, fileVersionMS & 0xFFFF, fileVersionLS >> 16,
                                  fileVersionLS & 0xFFFF};
  for (const std::uint32_t h : halves) {
    if (!text.empty())
      text += '.';
    text += std::to_string(h);
  }
  return text;
}

} // namespace dynlog
