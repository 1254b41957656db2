#pragma once

#include <string>
#include <string_view>

// Replaces the file at `path` with `bytes` so that readers see either the old
// file or the new one, never a part: the bytes go to a hidden temporary file
// in the same folder, which is flushed to disk and renamed over the old file.
// An existing file keeps its permissions; a file that may not be written is
// left alone. On failure the old file is untouched, no temporary file
// remains, and `error` says why.
//
// (QSaveFile is not used: it reports success after a short write on a full
// disk and renames the truncated file into place.)
bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error);
