#include "FuzzDecoders.h"
#include "platform/imaging/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzDecoder(data, size, DecodeJpeg);
}
