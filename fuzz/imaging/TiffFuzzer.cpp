#include "FuzzDecoders.h"
#include "platform/imaging/TiffReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzDecoder(data, size, [](ImageInput& input, Bitmap& bitmap) {
    TiffReader reader;
    if (!IsOk(reader.Open(input)))
      return;
    for (int i = 0; i < reader.PageCount() && i < 4; ++i)
      if (IsOk(reader.SelectPage(i)))
        reader.Decode(bitmap);
  });
}
