#pragma once
// The program's one file error: a file that could not be created, opened, read or written. Its
// what() is the German text the user reads. Free of system calls, so it builds natively too.

#include <stdexcept>
#include <string>

namespace base {

// "Dateizugriff verweigert", "Ungültiger Dateiname", "Zu wenig Speicherplatz",
// "Zu viele geöffnete Dateien", otherwise "E/A-Fehler <number>". UTF-8.
std::string FileErrorText(unsigned long systemError);

class FileError : public std::runtime_error {
public:
  // A failure the system numbered; what() is FileErrorText of the number.
  explicit FileError(unsigned long systemError)
      : std::runtime_error(FileErrorText(systemError)), systemError_(systemError) {}
  // The internet client's texts, which name the file: "Datei NAME kann nicht erstellt werden".
  static FileError CannotCreate(const std::string& name) { return Named(name, "erstellt"); }
  static FileError CannotOpen(const std::string& name) { return Named(name, "geöffnet"); }
  static FileError CannotWrite(const std::string& name) { return Named(name, "geschrieben"); }
  static FileError CannotRead(const std::string& name) { return Named(name, "gelesen"); }

  // The system's error number; 0 for the named texts.
  unsigned long SystemError() const { return systemError_; }

private:
  FileError(const std::string& text, unsigned long systemError)
      : std::runtime_error(text), systemError_(systemError) {}
  static FileError Named(const std::string& name, const char* what) {
    return FileError("Datei " + name + " kann nicht " + what + " werden", 0);
  }
  unsigned long systemError_;
};

} // namespace base
