#include <vector>

#include "FuzzDecoders.h"
#include "platform/imaging/GifCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzDecoder(data, size, [](ImageInput& input, Bitmap& bitmap) {
    std::vector<GifFrameInfo> frames;
    if (!IsOk(ScanGifFrames(input, frames)))
      return;
    for (std::size_t i = 0; i < frames.size() && i < 4; ++i)
      DecodeGifFrame(input, static_cast<int>(i), bitmap);
  });
}
