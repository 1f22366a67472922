// A stand-in for the updater in the update tests, and a program file with a version of its own:
// it writes how it was started into "updater-ran.txt" beside itself (UTF-8): its whole command
// line, its arguments one per line after the argument count, its working folder, and the version
// it reads from its own file.
#include "base/text.h"
#include "info/fileversion.h"

#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <string>

int main() {
  wchar_t self[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L'\\') + 1);
  wchar_t current[MAX_PATH + 1] = {};
  GetCurrentDirectoryW(MAX_PATH, current);

  const wchar_t* commandLine = GetCommandLineW();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine, &argc);

  // Written under another name first, so that a reader never sees half a record.
  const std::wstring record = folder + L"updater-ran.txt";
  const std::wstring partial = record + L".part";
  {
    std::ofstream out(partial.c_str(), std::ios::binary);
    out << base::Narrow(commandLine) << "\n" << argc << "\n";
    for (int i = 1; i < argc; ++i)
      out << base::Narrow(argv[i]) << "\n";
    out << base::Narrow(current) << "\n" << dynlog::RunningProgramVersionText() << "\n";
  }
  LocalFree(argv);
  MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);
  return 0;
}
