#pragma once

#include <functional>
#include <string>

// Whether change notices for a folder can be trusted: inotify sees only what
// this computer does, so on a network or FUSE mount another computer's
// changes arrive unannounced.
enum class FileSystemKind { Local, Remote };

// The kind of the file system that holds `path`, told by statfs; Local when it cannot be told.
FileSystemKind FileSystemKindOf(const std::string& path);

// Tests put their own answer in place (an empty function restores statfs).
void SetFileSystemKindForTesting(std::function<FileSystemKind(const std::string&)> probe);
