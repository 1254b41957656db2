#pragma once

#include <optional>
#include <string>

#include "core/FileFormatType.h"

// The format a "--format" value names: the extension of the files it makes or
// the format's own name ("tif", "tiff", "jpg", "jpeg", "tiff-lzw", "pdf" ...),
// in any letter case; nothing for an unknown name.
std::optional<FileFormatType> FileFormatFromOption(const std::string& name);
