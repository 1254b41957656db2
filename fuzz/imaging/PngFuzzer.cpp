#include "FuzzDecoders.h"
#include "platform/imaging/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzDecoder(data, size, DecodePng);
}
