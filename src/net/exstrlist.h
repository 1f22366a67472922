#pragma once
// A list of text lines that knows header lines of the form "Name: Value".
#include <cstddef>
#include <string>
#include <vector>

class TExStringList {
public:
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const {
    return lines_.at(static_cast<std::size_t>(index));
  }
  const std::vector<std::string>& Lines() const { return lines_; }

  // A sorted list keeps its lines in order of their text, ignoring case.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

  void Add(const std::string& line);
  void Delete(int index);
  void Clear() { lines_.clear(); }

  // Every line followed by CR LF.
  std::string Text() const;

  // Index of the first line whose text before its first ':' equals name ignoring case, or -1.
  // Lines without ':' never match.
  int FindHeader(const std::string& name) const;

  // Non-empty value: "name: value" replaces the found line or is appended. Empty value: the found
  // line is deleted.
  void SetHeader(const std::string& name, const std::string& value);

private:
  std::vector<std::string> lines_;
  bool sorted_ = false;
};
