#pragma once
// Where km470.ini lives: the file of that name in the folder the program was started in. Its full
// path is fixed once at start, so that a dialog that changes the working folder later cannot send
// the settings written after it to another folder, where the next start would not find them.
#include <string>

namespace km470 {

// Fixes km470.ini's full path, from the working folder as it is now, for as long as it lives.
// The program holds one from its start to its end.
class SettingsLocation {
public:
  SettingsLocation();
  ~SettingsLocation();
  SettingsLocation(const SettingsLocation&) = delete;
  SettingsLocation& operator=(const SettingsLocation&) = delete;

private:
  std::string previous_;
};

// km470.ini's full path as the living SettingsLocation fixed it; with none (a dialog used on its
// own), the file in the present working folder.
std::string SettingsPath();

} // namespace km470
