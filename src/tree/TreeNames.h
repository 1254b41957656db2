#pragma once

#include <QString>
#include <string>

// Name rules of the archive tree (the path text itself lives in core/Paths.h):
// names compare case-insensitively by Unicode case
// folding, and byte for byte when a name is not valid UTF-8.
namespace TreeNames {

// The key names are compared and sorted by: the case-folded text of a valid
// UTF-8 name, the raw bytes (marked) of any other.
QString FoldedKey(const std::string& name);
bool NamesEqual(const std::string& a, const std::string& b);

// Dot-files and the per-folder preference files are hidden files here.
bool IsHiddenFileName(const std::string& name);
// "*.*" and "*" list everything; other masks are shell wildcards, case-insensitive.
bool MatchesFileMask(const std::string& name, const std::string& mask);

// The label shown for a name: invalid bytes and control characters (a newline
// in a name) are shown as U+FFFD, so every label stays one readable line.
QString Label(const std::string& name);

// The label of a mounted network share: "//server/docs" is docs,
// "server:/srv/docs" is srv/docs.
std::string ShareName(const std::string& remoteName);

// "New Folder" for the first try, "New Folder (n)" for the tries 2 to 99.
std::string NewFolderName(int tryNumber);

}  // namespace TreeNames
