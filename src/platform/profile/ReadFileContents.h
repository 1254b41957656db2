#pragma once

#include <cstdint>
#include <string>

// The bytes of a small file that is not ours (hand-edited, or come with an
// archive). Only a regular file is opened, without blocking, so a FIFO or
// device in its place cannot hang the reader; a link is followed. A file
// above `maxSize` is not read at all. The path is used as bytes.
struct FileContents {
  enum class Status { Read, Missing, NotAFile, TooLarge, Unreadable };

  Status status = Status::Missing;
  std::string bytes;

  bool Read() const { return status == Status::Read; }
  bool Missing() const { return status == Status::Missing; }
  // Why the file was not read, for the log; empty after a read.
  std::string Problem(std::int64_t maxSize) const;
};

FileContents ReadFileContents(const std::string& path, std::int64_t maxSize);
