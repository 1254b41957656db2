#pragma once

// Shared by the decoder fuzz targets: run one decoder over the input as a
// memory block, the way the program reads a file, and throw the result away.

#include <cstddef>
#include <cstdint>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImageInput.h"

template <typename Decode>
int FuzzDecoder(const std::uint8_t* data, std::size_t size, Decode decode) {
  auto input = ImageInput::FromMemory(data, size);
  Bitmap bitmap;
  decode(*input, bitmap);
  return 0;
}
