#pragma once
// The order in which an update's files take the place of the old ones so that all of them go in
// or none: which steps to take, and which undo them when one fails. The update carries the steps
// out on disk; here there is no file, so that the order can be tried against every failure.
#include <cstddef>
#include <functional>
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

} // namespace dynlog
