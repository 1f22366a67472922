#include "info/installsteps.h"

#include <algorithm>
#include <cstdio>

namespace dynlog {
namespace {

constexpr std::string_view kTempPrefix = "dynlog-update-";
constexpr std::string_view kTempSuffix = ".part";
constexpr std::string_view kJournalHeader = "DYNLOG-Update-Journal 1";
constexpr std::string_view kJournalEnd = "Ende";

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// File names, as the system compares them (ASCII letter case does not matter).
bool SameFileName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

// A plain name in the folder: a journal must not lead anywhere else.
bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:\t\r\n") == std::string_view::npos;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(separator, at);
    parts.push_back(text.substr(at, end - at));
    if (end == std::string_view::npos)
      return parts;
    at = end + 1;
  }
}

std::optional<JournalEntry> ParseEntry(std::string_view line) {
  const std::vector<std::string_view> fields = Split(line, '\t');
  if (fields.size() != 5 || !PlainName(fields[0]) || !IsUpdateTempName(fields[1]) ||
      (!fields[2].empty() && !IsUpdateTempName(fields[2])) || fields[3].empty() ||
      fields[3].size() > 18 ||
      !std::ranges::all_of(fields[3], [](char c) { return c >= '0' && c <= '9'; }) ||
      fields[4].size() != 64 || !std::ranges::all_of(fields[4], IsHex))
    return std::nullopt;
  JournalEntry entry{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]), 0,
                     std::string(fields[4])};
  for (const char digit : fields[3])
    entry.size = entry.size * 10 + (digit - '0');
  return entry;
}

} // namespace

bool IsUpdateTempName(std::string_view fileName) {
  if (fileName.size() != kTempPrefix.size() + 8 + kTempSuffix.size() ||
      !SameFileName(fileName.substr(0, kTempPrefix.size()), kTempPrefix) ||
      !SameFileName(fileName.substr(kTempPrefix.size() + 8), kTempSuffix))
    return false;
  return std::ranges::all_of(fileName.substr(kTempPrefix.size(), 8), IsHex);
}

std::string UpdateTempName(std::uint32_t number) {
  char digits[9] = {};
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(number));
  return std::string(kTempPrefix) + digits + std::string(kTempSuffix);
}

std::string JournalText(const std::vector<JournalEntry>& entries) {
  std::string text = std::string(kJournalHeader) + "\n";
  for (const JournalEntry& e : entries)
    text += e.target + "\t" + e.arrival + "\t" + e.aside + "\t" + std::to_string(e.size) + "\t" +
            e.sha256 + "\n";
  return text + std::string(kJournalEnd) + "\n";
}

std::optional<std::vector<JournalEntry>> ParseJournal(std::string_view text) {
  std::vector<std::string_view> lines = Split(text, '\n');
  // The header, the entries, the end and the empty rest after the last line end.
  if (lines.size() < 3 || lines.front() != kJournalHeader || !lines.back().empty() ||
      lines[lines.size() - 2] != kJournalEnd)
    return std::nullopt;
  std::vector<JournalEntry> entries;
  for (std::size_t i = 1; i + 2 < lines.size(); ++i) {
    std::optional<JournalEntry> entry = ParseEntry(lines[i]);
    if (!entry)
      return std::nullopt;
    entries.push_back(std::move(*entry));
  }
  return entries;
}

RepairOutcome RepairUpdateFolder(const UpdateFolder& folder) {
  std::vector<std::string> names = folder.names();
  const auto present = [&](const std::string& name) {
    return !name.empty() &&
           std::ranges::any_of(names, [&](const std::string& n) { return SameFileName(n, name); });
  };
  RepairOutcome outcome = RepairOutcome::Clean;
  if (present(kJournalName)) {
    const std::optional<std::string> text = folder.read(kJournalName);
    const std::optional<std::vector<JournalEntry>> entries =
        text ? ParseJournal(*text) : std::nullopt;
    if (!entries)
      return RepairOutcome::Failed;
    const bool complete = std::ranges::all_of(
        *entries, [&](const JournalEntry& e) { return folder.holdsNew(e.target, e); });
    bool done = true;
    // Last file first, as the install undoes its steps.
    for (auto e = entries->rbegin(); e != entries->rend(); ++e) {
      if (complete)
        done = (!present(e->aside) || folder.remove(e->aside)) && done;
      else if (present(e->aside))
        done = folder.move(e->aside, e->target) && done;
      else if (e->aside.empty() && folder.holdsNew(e->target, *e))
        done = folder.remove(e->target) && done; // there was no old file
    }
    if (!done || !folder.remove(kJournalName))
      return RepairOutcome::Failed;
    outcome = complete ? RepairOutcome::Completed : RepairOutcome::RolledBack;
    names = folder.names();
  }
  // Whatever an update left: a running one holds its files, and they stay.
  for (const std::string& name : names)
    if (IsUpdateTempName(name))
      folder.remove(name);
  return outcome;
}

bool InstallAll(const std::vector<bool>& oldExists,
                const std::function<bool(const InstallStep&)>& perform) {
  std::vector<InstallStep> steps;
  for (const InstallStep::Kind kind :
       {InstallStep::PutOldAside, InstallStep::PutNewInPlace, InstallStep::CheckNew})
    for (std::size_t file = 0; file < oldExists.size(); ++file)
      if (kind != InstallStep::PutOldAside || oldExists[file])
        steps.push_back({kind, file});
  for (std::size_t taken = 0; taken < steps.size(); ++taken) {
    if (perform(steps[taken]))
      continue;
    // A new file leaves its place before the old one comes back to it.
    while (taken-- > 0) {
      const InstallStep& done = steps[taken];
      if (done.kind == InstallStep::PutNewInPlace)
        perform({InstallStep::TakeNewOut, done.file});
      else if (done.kind == InstallStep::PutOldAside)
        perform({InstallStep::PutOldBack, done.file});
    }
    return false;
  }
  return true;
}

} // namespace dynlog
