#pragma once

#include <string>

// The file system's own flags of a file, as the file system reports them
// (not followed through a symbolic link); false when it does not know them.
struct FileFlags {
  bool compressed = false;
  bool encrypted = false;

  static FileFlags Of(const std::string& path);
};
