#pragma once
// The order in which an update's files take the place of the old ones so that all of them go in
// or none: which steps to take, and which undo them when one fails. The update carries the steps
// out on disk; here there is no file, so that the order can be tried against every failure.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dynlog {

struct InstallStep {
  enum Kind {
    PutOldAside,   // the old file leaves its place for a temporary name beside it
    PutNewInPlace, // the new file goes from its temporary name to its place
    CheckNew,      // what stands in the place is the very file that was checked
    TakeNewOut,    // undoing: the new file goes back to its temporary name
    PutOldBack,    // undoing: the old file comes back to its place
  };
  Kind kind;
  std::size_t file;
  bool operator==(const InstallStep&) const = default;
};

// Takes the steps for the files (oldExists[i]: file i has an old one in its place) through
// perform, which says whether a step succeeded: every old file aside first, so that one that
// refuses is found before anything new stands anywhere; then every new file in; then every check.
// At the first step that fails, the steps taken are undone, last first, each whatever became of
// the one before. True when every step went through.
bool InstallAll(const std::vector<bool>& oldExists,
                const std::function<bool(const InstallStep&)>& perform);

// The install is a journal that the next start finishes: before the first old file is moved, the
// update writes what it is about to do, so that a program killed in the middle of the steps above
// leaves a folder that the next start can make whole again.
//
// The update's own temporary files are named "dynlog-update-" + 8 hex digits + ".part", a form
// nobody else gives a file, so that a start can remove what an earlier run left without touching
// anything of the user's; the journal is "dynlog-update.journal".
inline constexpr const char* kJournalName = "dynlog-update.journal";
bool IsUpdateTempName(std::string_view fileName);
std::string UpdateTempName(std::uint32_t number);

// One file of an install: its place, where the new file waits, where the old one goes (empty: there
// is none) and what the new file is.
struct JournalEntry {
  std::string target;
  std::string arrival;
  std::string aside;
  std::int64_t size = 0;
  std::string sha256; // 64 hex digits
  bool operator==(const JournalEntry&) const = default;
};
std::string JournalText(const std::vector<JournalEntry>& entries);
// None unless the text is a whole journal as JournalText writes it.
std::optional<std::vector<JournalEntry>> ParseJournal(std::string_view text);

// The program folder as the repair at start sees it, by file name.
struct UpdateFolder {
  std::function<std::vector<std::string>()> names;
  // The journal's text; none when it cannot be read (an update that runs holds it).
  std::function<std::optional<std::string>(const std::string&)> read;
  // Whether the file is exactly the entry's new file (size and SHA-256).
  std::function<bool(const std::string&, const JournalEntry&)> holdsNew;
  std::function<bool(const std::string& from, const std::string& to)> move; // replacing
  std::function<bool(const std::string&)> remove;
};

enum class RepairOutcome { Clean, Completed, RolledBack, Failed };

// Finishes what a journal in the folder says: when every new file stands verified in its place the
// install is completed (the old files go), else every old file goes back to its place (and a new
// one that stands there goes). Then the journal and every temporary file of the update are removed.
// A journal that cannot be read or understood, or a step that fails, leaves everything as it is
// (Failed), so that nothing is lost and the next start tries again.
RepairOutcome RepairUpdateFolder(const UpdateFolder& folder);

} // namespace dynlog
