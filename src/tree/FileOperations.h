#pragma once

#include <string>

// The tree's own changes to the disk. Each returns an empty string on success
// and otherwise the reason, ready for a message.
namespace FileOperations {

// Renames without ever replacing an existing file or folder.
std::string RenameNoReplace(const std::string& source, const std::string& target);
// Deletes a file, a symbolic link (not what it points to) or a whole folder.
std::string RemovePermanently(const std::string& path);
// Creates one folder; false when it exists already or cannot be made.
bool CreateFolder(const std::string& path);

}  // namespace FileOperations
