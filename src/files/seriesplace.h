#pragma once
// Whether a folder is a fit place for a series: a drive's root or a system folder (the Windows
// folder, the program files folders, or a folder in them) is taken only after a question that
// names it, since a dialog's OK there is more often a slip than a choice.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dynlog {

// The question to ask before a series is opened in utf8Folder, none for an ordinary folder.
// systemFolders: the full paths of the Windows folder and the program files folders.
std::optional<std::string> SeriesPlaceQuestion(std::string_view utf8Folder,
                                               const std::vector<std::string>& systemFolders);

// A folder's own name, the last part of its path ("S" of "Z:\\tmp\\S"); a root as it is ("Z:\\").
std::string FolderOwnName(std::string_view utf8Folder);
// The folder that holds it ("Z:\\tmp" of "Z:\\tmp\\S", "Z:\\" of "Z:\\S"); empty for a root.
std::string ParentFolder(std::string_view utf8Folder);

} // namespace dynlog
