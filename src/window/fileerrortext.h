#pragma once
// The German texts for a file that cannot be created or written, by the system's error number.

#include <stdexcept>
#include <string>

namespace dynlog {

// "Dateizugriff verweigert", "Ungültiger Dateiname", "Zu wenig Speicherplatz",
// "Zu viele geöffnete Dateien", otherwise "E/A-Fehler <number>". UTF-8.
std::string FileErrorText(unsigned long systemError);

// A file that could not be created or written; what() is FileErrorText of the system's error.
class FileError : public std::runtime_error {
public:
  explicit FileError(unsigned long systemError)
      : std::runtime_error(FileErrorText(systemError)), systemError_(systemError) {}
  unsigned long SystemError() const { return systemError_; }

private:
  unsigned long systemError_;
};

} // namespace dynlog
