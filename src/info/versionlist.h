#pragma once
// The version list the update server offers, read as an INI file through the system's
// private-profile functions, so that section and key names match as they always do there (letter
// case does not matter).
#include <string>

namespace dynlog {

class VersionList {
public:
  explicit VersionList(std::string path) : path_(std::move(path)) {}
  VersionList(const VersionList&) = delete;
  VersionList& operator=(const VersionList&) = delete;
  ~VersionList() { Close(); }

  // The value of key in section, or fallback when the file, the section or the key is missing.
  std::string Read(const std::string& section, const std::string& key,
                   const std::string& fallback) const;
  // Lets the system drop what it keeps of the file, so that a later file of the same name is read
  // afresh. Reading again opens it again.
  void Close() noexcept;

private:
  std::string path_; // UTF-8
};

} // namespace dynlog
