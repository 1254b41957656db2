#pragma once

#include <string>

// The folder of the index of one archive root: below $XDG_CACHE_HOME/docketeer/
// (~/.cache when unset), named by a digest of the root, never inside the archive.
std::string IndexFolderForArchive(const std::string& archiveRoot);
