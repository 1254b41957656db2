#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// Path text and file tests shared by every subsystem. Paths are UTF-8 (or
// whatever bytes the file system holds) with "/" as the separator; folder
// paths are carried with a trailing separator throughout. None of the file
// tests fails: what cannot be examined reads as absent, empty or not writable.

// Appends "/" unless the path already ends in one; an empty path becomes "/".
std::string EnsureTrailingSeparator(std::string path);
// Drops one trailing "/" when there is one.
std::string RemoveTrailingSeparator(std::string path);
// False for an empty path; true when the last character is "/".
bool EndsWithSeparator(const std::string& path);

// The components of a path, empty ones (doubled or trailing separators) skipped.
std::vector<std::string> SplitPath(const std::string& path);
// folder + "/" + name, without doubling a separator the folder already ends with.
std::string JoinPath(const std::string& folder, const std::string& name);
// The last component of a path ("" for "/").
std::string PathFileName(const std::string& path);
// The extension after the last dot of the file name, upper-cased; "" without one.
std::string PathExtension(const std::string& path);
// Drops the extension (the last "." and what follows it) of the last path
// component. A leading "." names a hidden file, not an extension.
std::string RemoveExtension(std::string path);

// A name a user may give a file or folder: not blank, not "." or "..", and
// none of \ / : * ? " < > | (archives are shared with Windows file systems)
// nor control characters. The UTF-8 form is checked character by character.
bool IsValidNewName(const QString& name);
bool IsValidNewName(const std::string& utf8Name);

// True when the path names an existing file or folder.
bool FileExists(const std::string& path);
// The file's size in bytes, 0 when it cannot be examined. 64 bits, so scans
// and combined documents beyond 2 GiB are counted right.
std::uint64_t GetFileSize(const std::string& path);
// True when the path is an existing file that can be opened for writing now.
// Nothing is created or changed by the test.
bool IsFileWritable(const std::string& path);
