#include "base/fileerror.h"

namespace base {

namespace {

// Windows system error numbers; spelled out here so that this table builds without <windows.h>.
enum : unsigned long {
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidDrive = 15,
  kWriteProtect = 19,
  kSharingViolation = 32,
  kLockViolation = 33,
  kHandleDiskFull = 39,
  kBadNetPath = 53,
  kBadNetName = 67,
  kDiskFull = 112,
  kInvalidName = 123,
  kBadPathName = 161,
  kFileNameTooLong = 206,
  kDirectory = 267,
};

} // namespace

std::string FileErrorText(unsigned long systemError) {
  switch (systemError) {
  // Another program holding the file, a write-protected medium and a read-only file or folder
  // all mean the same to the user: this place cannot be written.
  case kAccessDenied:
  case kWriteProtect:
  case kSharingViolation:
  case kLockViolation:
    return "Dateizugriff verweigert";
  // A folder or drive that does not exist is a fault of the name the user typed, so it gets
  // the text that sends the user back to the name rather than a bare error number.
  case kFileNotFound:
  case kPathNotFound:
  case kInvalidDrive:
  case kBadNetPath:
  case kBadNetName:
  case kInvalidName:
  case kBadPathName:
  case kFileNameTooLong:
  case kDirectory:
    return "Ungültiger Dateiname";
  case kDiskFull:
  case kHandleDiskFull:
    return "Zu wenig Speicherplatz";
  case kTooManyOpenFiles:
    return "Zu viele geöffnete Dateien";
  default:
    return "E/A-Fehler " + std::to_string(systemError);
  }
}

} // namespace base
