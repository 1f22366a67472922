#pragma once
// The version list the update server offers, read from the very bytes whose signature was checked
// (see ProfileText), in the character set the system's profile functions would read it in: UTF-8
// after a UTF-8 byte order mark, else the system's ANSI code page.
#include "info/profiletext.h"

#include <string>
#include <string_view>

namespace dynlog {

class VersionList {
public:
  explicit VersionList(std::string_view bytes);

  // The value of key in section, or fallback when the section or the key is missing.
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& fallback) const {
    return text_.Read(section, key, fallback);
  }

private:
  ProfileText text_;
};

} // namespace dynlog
