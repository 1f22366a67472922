#include "net/exstrlist.h"

#include <algorithm>
#include <cctype>

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = std::toupper(static_cast<unsigned char>(a[i]));
    const int cb = std::toupper(static_cast<unsigned char>(b[i]));
    if (ca != cb)
      return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size())
    return 0;
  return a.size() < b.size() ? -1 : 1;
}

// The text before the first ':', or nothing when the line has no ':'.
bool HeaderName(const std::string& line, std::string& name) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos)
    return false;
  name = line.substr(0, colon);
  return true;
}

} // namespace

void TExStringList::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (sorted_)
    std::stable_sort(lines_.begin(), lines_.end(), [](const std::string& a, const std::string& b) {
      return CompareNoCase(a, b) < 0;
    });
}

void TExStringList::Add(const std::string& line) {
  if (!sorted_) {
    lines_.push_back(line);
    return;
  }
  const auto at = std::upper_bound(
      lines_.begin(), lines_.end(), line,
      [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
  lines_.insert(at, line);
}

void TExStringList::Delete(int index) {
  lines_.erase(lines_.begin() + index);
}

std::string TExStringList::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

int TExStringList::FindHeader(const std::string& name) const {
  // A linear search also for a sorted list: the lines are ordered by their whole text, and a name
  // followed by a character below ':' ("Host-Id" before "Host") breaks the order of the names, so
  // bisecting over them could miss a line.
  std::string key;
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (HeaderName(lines_[i], key) && CompareNoCase(key, name) == 0)
      return static_cast<int>(i);
  return -1;
}

void TExStringList::SetHeader(const std::string& name, const std::string& value) {
  const int index = FindHeader(name);
  if (value.empty()) {
    if (index >= 0)
      Delete(index);
    return;
  }
  const std::string line = name + ": " + value;
  if (index >= 0) {
    if (sorted_) {
      Delete(index);
      Add(line);
    } else {
      lines_[static_cast<std::size_t>(index)] = line;
    }
  } else {
    Add(line);
  }
}
