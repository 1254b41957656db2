#include "FuzzDecoders.h"
#include "platform/imaging/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzDecoder(data, size, [](ImageInput& input, Bitmap&) { return CheckPng(input); });
  return FuzzDecoder(data, size, DecodePng);
}
