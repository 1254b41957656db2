#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/imaging/ImagingStatus.h"

// The bytes a decoder reads: a file or a memory block, with the position and
// size libtiff and the others ask for. Reads past the end return fewer bytes.
class ImageInput {
 public:
  ~ImageInput();
  ImageInput(const ImageInput&) = delete;
  ImageInput& operator=(const ImageInput&) = delete;

  // Opens regular files only, without ever waiting on the open (a FIFO named
  // like a page file is refused, not waited on).
  static ImagingStatus OpenFile(const std::string& path, std::unique_ptr<ImageInput>& out);
  static std::unique_ptr<ImageInput> FromMemory(const std::uint8_t* data, std::size_t size);

  std::size_t Read(void* buffer, std::size_t count);
  bool Seek(std::uint64_t offset);
  std::uint64_t Tell() const { return position_; }
  std::uint64_t Size() const { return size_; }
  // Every byte handed out so far, re-reads included: how hard a decoder works.
  std::uint64_t BytesRead() const { return bytesRead_; }

 private:
  ImageInput() = default;

  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // the stream's, freed after it is closed
  const std::uint8_t* memory_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
  std::uint64_t bytesRead_ = 0;
};

// The whole of a regular file (opened as OpenFile does); TooLarge beyond maxBytes.
ImagingStatus ReadWholeFile(const std::string& path, std::uint64_t maxBytes,
                            std::vector<std::uint8_t>& out);
