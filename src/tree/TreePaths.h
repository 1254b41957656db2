#pragma once

#include <QString>
#include <string>
#include <vector>

// Path and name rules of the archive tree. Paths are UTF-8 (or whatever bytes
// the file system holds); names compare case-insensitively by Unicode case
// folding, and byte for byte when a name is not valid UTF-8.
namespace TreePaths {

// The components of a path, empty ones (doubled or trailing separators) skipped.
std::vector<std::string> Split(const std::string& path);
// folder + "/" + name, without doubling a separator the folder already ends with.
std::string Join(const std::string& folder, const std::string& name);
// The last component of a path ("" for "/").
std::string FileName(const std::string& path);

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

// The extension after the last dot of the file name, upper-cased; "" without one.
std::string Extension(const std::string& path);

// A name a user may give a file or folder: not empty, not "." or "..", and
// none of \ / : * ? " < > | (archives are shared with Windows file systems)
// nor control characters.
bool IsValidNewName(const QString& name);

// The label of a mounted network share: "//server/docs" is docs,
// "server:/srv/docs" is srv/docs.
std::string ShareName(const std::string& remoteName);

// "New Folder" for the first try, "New Folder (n)" for the tries 2 to 99.
std::string NewFolderName(int tryNumber);

}  // namespace TreePaths
