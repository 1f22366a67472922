#pragma once
// km470.ini, the program's settings between starts: the search dialog's port and baud rate, the
// test description's and the conditions' keys beside them. One object reads and writes it, all
// through the same wide Windows functions: the sections and keys are plain ASCII, the values are
// UTF-8 in the program and stand in the file as those functions keep them (a file of an older
// version, in the system's code page, reads as it always did).
#include <string>
#include <string_view>

namespace km470 {

class Settings {
public:
  // The file km470.ini in the working folder as it is now. Its full path is fixed for the object's
  // life, so that a dialog that changes the working folder later cannot send the settings written
  // after it to another folder, where the next start would not find them.
  Settings();
  explicit Settings(std::string utf8Path);

  const std::string& Path() const { return path_; }

  // The key's value; empty when the key or the file is missing.
  std::string Text(std::string_view section, std::string_view key) const;
  // The key's value as km470.ini's integers are written (see link/profileint.h); def when the key
  // is missing or holds no such number.
  int Number(std::string_view section, std::string_view key, int def) const;
  // false when the file could not be written.
  bool Write(std::string_view section, std::string_view key, std::string_view utf8Value);
  bool Remove(std::string_view section, std::string_view key);

private:
  std::string path_;
  std::wstring widePath_;
};

} // namespace km470
