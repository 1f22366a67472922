// A stand-in for the updater in the update tests: it writes how it was started into
// "updater-ran.txt" beside itself (UTF-8): its whole command line, its arguments one per line
// after the argument count, and its working folder.
#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1)
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

} // namespace

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
    out << Utf8(commandLine) << "\n" << argc << "\n";
    for (int i = 1; i < argc; ++i)
      out << Utf8(argv[i]) << "\n";
    out << Utf8(current) << "\n";
  }
  LocalFree(argv);
  MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);
  return 0;
}
