#pragma once

#include <cstdio>
#include <vector>

#include "platform/imaging/Bitmap.h"

class ImageInput;

struct GifFrameInfo {
  int width = 0;
  int height = 0;
};

// Lists the frames without decoding their pixels.
ImagingStatus ScanGifFrames(ImageInput& input, std::vector<GifFrameInfo>& frames);
// Decodes frame `index` on its own (no compositing with earlier frames) as Indexed8.
ImagingStatus DecodeGifFrame(ImageInput& input, int index, Bitmap& out);
// 1-bit images stay two-colour, 8-bit keep their palette, colour is quantised.
ImagingStatus EncodeGif(const Bitmap& bitmap, std::FILE* file);
