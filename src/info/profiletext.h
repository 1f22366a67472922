#pragma once
// An INI text read from memory the way the system's private-profile functions read a file, so that
// the bytes whose signature was checked are the bytes that are parsed: no second read by name that
// someone could have changed in between.
//
// What the profile functions do, and this does too: lines end in CR, LF or both; "[name]" opens a
// section (blanks around the name dropped, the name ends at the line's last "]"); "key=value"
// lines belong to the section above them, lines before the first section to the section "".
// Section and key names match without regard to ASCII letter case. Of sections of the same name
// only the first counts, and in it the first line of a key. Blanks around keys and values are
// dropped, then one pair of equal quotes (" or ') around the whole value; a value ends at a NUL.
// Lines without "=" carry no value. Lines beginning with ";" are comments here; the profile
// functions read them as keys beginning with ";", which the update never asks for.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dynlog {

class ProfileText {
public:
  explicit ProfileText(std::string_view text);

  // The value of key in section; none when the section or the key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // The same with a fallback for a missing one, as the profile functions give it.
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback) const;

private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  std::vector<Section> sections_;
};

} // namespace dynlog
