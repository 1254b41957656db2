#pragma once

#include <string>

// Folder paths are carried with a trailing separator throughout.

// Appends "/" unless the path already ends in one; an empty path becomes "/".
std::string EnsureTrailingSeparator(std::string path);

// Drops one trailing "/" when there is one.
std::string RemoveTrailingSeparator(std::string path);
