#include "info/updatejournal.h"

#include "base/text.h"
#include "info/tempfile.h"
#include "info/updatesignature.h"
#include "info/updatetext.h"

#include <windows.h>

#include <vector>

namespace dynlog {
namespace {

// The journal is a few lines; anything longer is not one.
constexpr std::size_t kJournalLimit = 64 * 1024;

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(base::Widen(folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(base::Narrow(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

UpdateFolder SystemFolder(const std::string& folder) {
  return {
      [folder] { return FileNamesIn(folder); },
      [folder](const std::string& name) -> std::optional<std::string> {
        const base::UniqueFile file(OpenUnwritable(folder + name, true));
        return file ? ReadWhole(file.get(), kJournalLimit) : std::nullopt;
      },
      [folder](const std::string& name, const JournalEntry& entry) {
        const base::UniqueFile file(OpenUnwritable(folder + name, false));
        const std::optional<FileContent> content = file ? ReadContent(file.get()) : std::nullopt;
        return content && content->size == entry.size && HexText(content->sha256) == entry.sha256;
      },
      [folder](const std::string& from, const std::string& to) {
        return MoveFileExW(base::Widen(folder + from).c_str(), base::Widen(folder + to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      },
      [folder](const std::string& name) {
        return DeleteFileW(base::Widen(folder + name).c_str()) != 0;
      }};
}

std::string ProgramFolder() {
  std::vector<wchar_t> path(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size())
      return SplitProgramPath(base::Narrow({path.data(), length})).folder;
    path.resize(path.size() * 2);
  }
}

void RepairFolders() {
  RepairUpdateFolderOnDisk(ProgramFolder());
  wchar_t temporary[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  if (length > 0 && length <= MAX_PATH)
    RepairUpdateFolderOnDisk(base::Narrow({temporary, length}));
}

} // namespace

std::string HexText(const Sha256& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const unsigned char byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

base::UniqueFile WriteJournal(const std::string& folder, const std::vector<JournalEntry>& entries) {
  TempFile temporary = TempFile::CreateIn(folder);
  // Nobody else opens it at all: a start meanwhile must leave the running install alone.
  base::UniqueFile file(CreateFileW(base::Widen(temporary.Name()).c_str(), GENERIC_WRITE | DELETE,
                                    0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string text = JournalText(entries);
  DWORD written = 0;
  if (!file ||
      !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size() || !FlushFileBuffers(file.get()) ||
      !RenameHeld(file.get(), folder + kJournalName, false)) {
    file.reset(); // before the temporary file goes
    return {};
  }
  temporary.Release();
  return file;
}

void RemoveJournal(const std::string& folder, base::UniqueFile& journal) {
  journal.reset();
  DeleteFileW(base::Widen(folder + kJournalName).c_str());
}

RepairOutcome RepairUpdateFolderOnDisk(const std::string& folder) {
  return RepairUpdateFolder(SystemFolder(folder));
}

void RepairUnfinishedUpdate() noexcept {
  try {
    RepairFolders();
  } catch (...) {
    // A repair that cannot even start must not keep the program from starting: it tries again at
    // the next start.
  }
}

} // namespace dynlog
