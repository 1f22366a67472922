#include "info/profiletext.h"

#include <algorithm>

namespace dynlog {
namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && Blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && Blank(text.back()))
    text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string ValueOf(std::string_view raw) {
  raw = raw.substr(0, raw.find('\0'));
  raw = Trimmed(raw);
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
    raw = raw.substr(1, raw.size() - 2);
  return std::string(raw);
}

} // namespace

ProfileText::ProfileText(std::string_view text) {
  sections_.push_back({"", {}});
  // The section the lines belong to; none while a repeated section is read past.
  std::optional<std::size_t> current = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end);
    // CR LF is one line end; a lone CR or LF is one too.
    if (text.starts_with("\r\n"))
      text.remove_prefix(2);
    else if (!text.empty())
      text.remove_prefix(1);

    if (line.starts_with('[')) {
      const std::size_t close = line.rfind(']');
      if (close == 0 || close == std::string_view::npos)
        continue;
      const std::string_view name = Trimmed(line.substr(1, close - 1));
      const auto known =
          std::ranges::find_if(sections_, [&](const Section& s) { return SameName(s.name, name); });
      // A later section of the same name is read past: only the first one counts.
      if (known != sections_.end()) {
        current.reset();
        continue;
      }
      current = sections_.size();
      sections_.push_back({std::string(name), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!current || line.starts_with(';') || equals == std::string_view::npos)
      continue;
    const std::string_view key = Trimmed(line.substr(0, equals));
    sections_[*current].entries.emplace_back(std::string(key.substr(0, key.find('\0'))),
                                             ValueOf(line.substr(equals + 1)));
  }
}

std::optional<std::string> ProfileText::Find(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!SameName(s.name, section))
      continue;
    for (const auto& [name, value] : s.entries)
      if (SameName(name, key))
        return value;
    return std::nullopt;
  }
  return std::nullopt;
}

std::string ProfileText::Read(std::string_view section, std::string_view key,
                              std::string_view fallback) const {
  return Find(section, key).value_or(std::string(fallback));
}

} // namespace dynlog
