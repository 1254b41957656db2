#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/imaging/ImagingStatus.h"

// The bytes a decoder reads: a file or a memory block, with the position and
// size libtiff and the others ask for. Reads past the end return fewer bytes.
class ImageInput {
 public:
  ~ImageInput();
  ImageInput(const ImageInput&) = delete;
  ImageInput& operator=(const ImageInput&) = delete;

  static ImagingStatus OpenFile(const std::string& path, std::unique_ptr<ImageInput>& out);
  static std::unique_ptr<ImageInput> FromMemory(const std::uint8_t* data, std::size_t size);

  std::size_t Read(void* buffer, std::size_t count);
  bool Seek(std::uint64_t offset);
  std::uint64_t Tell() const { return position_; }
  std::uint64_t Size() const { return size_; }

 private:
  ImageInput() = default;

  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // the stream's, freed after it is closed
  const std::uint8_t* memory_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};
