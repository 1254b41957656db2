#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct tiff;

// The file a TiffPageWriter writes, with libtiff's writes gathered in a
// buffer: libtiff seeks and writes once per strip, and LZW strips of a row or
// two would otherwise cost two system calls every few kilobytes. A write that
// fails is remembered, so that Close reports it even when libtiff could not.
class TiffOutputFile {
 public:
  TiffOutputFile() = default;
  ~TiffOutputFile();
  TiffOutputFile(const TiffOutputFile&) = delete;
  TiffOutputFile& operator=(const TiffOutputFile&) = delete;

  // Creates or truncates the file and opens libtiff on it for writing; null on failure.
  tiff* Open(const std::string& path);
  // Writes what is buffered and closes the file; false when any write failed.
  bool Close();

 private:
  friend struct TiffOutputProcs;  // libtiff's callbacks

  std::size_t Read(void* data, std::size_t size);
  std::size_t Write(const std::uint8_t* data, std::size_t size);
  bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size);
  bool Flush();

  int fd_ = -1;
  std::vector<std::uint8_t> buffer_;  // bytes not yet written, for offsets from bufferStart_
  std::uint64_t bufferStart_ = 0;
  std::uint64_t position_ = 0;  // where libtiff reads or writes next
  std::uint64_t size_ = 0;      // the file's size, buffered bytes included
  bool failed_ = false;
};
