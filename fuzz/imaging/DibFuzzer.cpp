#include <cstring>
#include <memory>

#include "platform/imaging/DibReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An allocation of exactly the block's size, so any overlong read is caught.
  auto block = std::make_unique<std::uint8_t[]>(size);
  if (size != 0)
    std::memcpy(block.get(), data, size);
  Bitmap bitmap;
  BitmapFromDib(block.get(), size, bitmap);
  return 0;
}
