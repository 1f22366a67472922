#pragma once
// The install's journal on disk (see RepairUpdateFolder): written before the first old file is
// moved, held while the install runs, and finished by the next start when a program was killed in
// between.
#include "base/handles.h"
#include "info/installsteps.h"
#include "info/updatemanifest.h"

#include <string>
#include <vector>

namespace dynlog {

// Writes the journal into folder (ending in a backslash): flushed to disk under a temporary name,
// then given its own name in one step, so that it is whole or not there. The handle holds it, and
// nobody else can read, change or remove it, until RemoveJournal. Invalid when it cannot be
// written.
base::UniqueFile WriteJournal(const std::string& folder, const std::vector<JournalEntry>& entries);
void RemoveJournal(const std::string& folder, base::UniqueFile& journal);

// The journal's form of a SHA-256.
std::string HexText(const Sha256& digest);

// The repair of one folder (ending in a backslash) on disk; see RepairUpdateFolder.
RepairOutcome RepairUpdateFolderOnDisk(const std::string& folder);

// At program start: finishes or undoes an install that a killed program left in the program's
// folder, and removes the update's temporary files there and in the temporary folder. A running
// update (another instance) holds its journal and files, and they stay as they are.
void RepairUnfinishedUpdate() noexcept;

} // namespace dynlog
