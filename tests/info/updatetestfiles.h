#pragma once
// What the update tests share: the files of a program folder and of the served update, the
// update servers' ports, the temporary folder the update writes to, and its log's progress lines.
#include "base/text.h"
#include "support/testfiles.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace updatetest {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

using testsupport::ReadBytes;
using testsupport::WriteBytes;

// The file names in a folder, sorted.
inline Lines FilesIn(const fs::path& folder) {
  Lines names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(base::Narrow(entry.path().filename().wstring()));
  std::sort(names.begin(), names.end());
  return names;
}

// Every file of a folder with its bytes.
inline std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[base::Narrow(entry.path().filename().wstring())] = ReadBytes(entry.path());
  return files;
}

// The log line of a transfer's progress.
inline std::string Progress(std::size_t received, std::size_t expected) {
  return std::to_string(received) + " Bytes von " + std::to_string(expected) + " übertragen ";
}

// The port of the update server NAME that the test fixture started, 0 when none runs.
inline int ServerPort(const std::string& name) {
  std::ifstream in("updateserver/port-" + name);
  int port = 0;
  in >> port;
  return port;
}

inline std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

// The update log as the tests read it: a run that a "Fehler: ..." line ended must say last which
// server it asked; that closing line is checked here and left out, so that the cases can read the
// Fehler line last. Without it the log ends in a marker that no case expects.
inline Lines LogWithoutServerLine(Lines log) {
  constexpr std::string_view kFailure = "Fehler: ";
  if (!log.empty() && log.back().starts_with(kFailure)) {
    log.push_back("(no line naming the server)");
  } else if (log.size() >= 2 && log[log.size() - 2].starts_with(kFailure) &&
             log.back() == "Update fehlgeschlagen (Server " +
                               base::Narrow(Environment(L"DYNLOG_UPDATE_HOST")) +
                               "): " + log[log.size() - 2].substr(kFailure.size())) {
    log.pop_back();
  }
  return log;
}

// The update takes its header and body files from the system's temporary folder, which is TMP:
// here a folder of the test's own, so that what the update leaves behind can be seen. Restores
// TMP and removes the test's folder again; a stand-in updater that is still ending may hold its
// file for a moment.
class UpdateFolders {
public:
  explicit UpdateFolders(const fs::path& root)
      : root_(root), savedTmp_(Environment(L"TMP")), tempFolder(root / "tmp") {
    fs::create_directories(tempFolder);
    SetEnvironmentVariableW(L"TMP", (tempFolder.wstring() + L"\\").c_str());
  }
  ~UpdateFolders() {
    SetEnvironmentVariableW(L"TMP", savedTmp_.empty() ? nullptr : savedTmp_.c_str());
    for (int attempt = 0; attempt < 50; ++attempt) {
      std::error_code ec;
      fs::remove_all(root_, ec);
      if (!fs::exists(root_))
        break;
      Sleep(100);
    }
  }
  UpdateFolders(const UpdateFolders&) = delete;
  UpdateFolders& operator=(const UpdateFolders&) = delete;

private:
  fs::path root_;
  std::wstring savedTmp_;

public:
  const fs::path tempFolder;
};

} // namespace updatetest
