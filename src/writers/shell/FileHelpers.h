#pragma once

#include <cstdint>
#include <string>

// Small path and file tests used around the writers. None of them fails:
// what cannot be examined reads as absent, empty or not writable.

// False for an empty path; true when the last character is "/".
bool EndsWithSeparator(const std::string& path);

// Drops the extension (the last "." and what follows it) of the last path
// component. A leading "." names a hidden file, not an extension.
std::string RemoveExtension(std::string path);

// True when the path names an existing file or folder.
bool FileExists(const std::string& path);

// The file's size in bytes, 0 when it cannot be examined. 64 bits, so scans
// and combined documents beyond 2 GiB are counted right.
std::uint64_t GetFileSize(const std::string& path);

// True when the path is an existing file that can be opened for writing now.
// Nothing is created or changed by the test.
bool IsFileWritable(const std::string& path);
