#include "files/seriesplace.h"

namespace dynlog {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

std::string_view WithoutTrailingSeparators(std::string_view path) {
  while (!path.empty() && IsSeparator(path.back()))
    path.remove_suffix(1);
  return path;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Paths compare as Windows compares them: case and the kind of separator do not count (letters
// beyond ASCII are rare enough in these folders to be left as they are).
bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i]) && !(IsSeparator(a[i]) && IsSeparator(b[i])))
      return false;
  return true;
}

// "Z:" or "\\\\server\\share", trailing separators already taken off.
bool IsRoot(std::string_view path) {
  if (path.size() == 2 && path[1] == ':')
    return true;
  if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1]))
    return false;
  int parts = 0;
  bool inPart = false;
  for (char c : path.substr(2)) {
    if (IsSeparator(c))
      inPart = false;
    else if (!inPart)
      inPart = true, ++parts;
  }
  return parts <= 2;
}

bool IsWithin(std::string_view path, std::string_view folder) {
  folder = WithoutTrailingSeparators(folder);
  if (folder.empty() || path.size() < folder.size())
    return false;
  return SameText(path.substr(0, folder.size()), folder) &&
         (path.size() == folder.size() || IsSeparator(path[folder.size()]));
}

} // namespace

std::optional<std::string> SeriesPlaceQuestion(std::string_view utf8Folder,
                                               const std::vector<std::string>& systemFolders) {
  const std::string_view path = WithoutTrailingSeparators(utf8Folder);
  if (path.empty() || IsRoot(path))
    return "Die Prüfreihe im Hauptverzeichnis " + std::string(path) + "\\ anlegen?";
  for (const std::string& system : systemFolders)
    if (IsWithin(path, system))
      return "Die Prüfreihe im Systemordner " + std::string(path) + " anlegen?";
  return std::nullopt;
}

std::string FolderOwnName(std::string_view utf8Folder) {
  const std::string_view path = WithoutTrailingSeparators(utf8Folder);
  if (path.empty() || IsRoot(path))
    return std::string(path) + "\\";
  std::size_t last = path.size();
  while (last > 0 && !IsSeparator(path[last - 1]))
    --last;
  return std::string(path.substr(last));
}

std::string ParentFolder(std::string_view utf8Folder) {
  const std::string_view path = WithoutTrailingSeparators(utf8Folder);
  if (path.empty() || IsRoot(path))
    return "";
  std::string_view parent = path.substr(0, path.size() - FolderOwnName(path).size());
  parent = WithoutTrailingSeparators(parent);
  return IsRoot(parent) ? std::string(parent) + "\\" : std::string(parent);
}

} // namespace dynlog
