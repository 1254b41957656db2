#pragma once

#include <cstdio>
#include <vector>

#include "platform/imaging/Bitmap.h"

class ImageInput;
struct GifFileType;

struct GifFrameInfo {
  int width = 0;
  int height = 0;
};

// Lists the frames without decoding their pixels.
ImagingStatus ScanGifFrames(ImageInput& input, std::vector<GifFrameInfo>& frames);
// Decodes frames on their own (no compositing with earlier frames) as Indexed8.
// Frames asked for in order are read in one pass through the file, with memory
// for one frame; an earlier frame starts the pass again.
class GifFrameReader {
 public:
  // The input must outlive the reader.
  explicit GifFrameReader(ImageInput& input);
  ~GifFrameReader();
  GifFrameReader(const GifFrameReader&) = delete;
  GifFrameReader& operator=(const GifFrameReader&) = delete;

  ImagingStatus Decode(int index, Bitmap& out);

 private:
  ImageInput& input_;
  GifFileType* gif_ = nullptr;
  int nextFrame_ = 0;
};

// Decodes frame `index` alone (one frame through a GifFrameReader).
ImagingStatus DecodeGifFrame(ImageInput& input, int index, Bitmap& out);
// 1-bit images stay two-colour, 8-bit keep their palette, colour is quantised.
ImagingStatus EncodeGif(const Bitmap& bitmap, std::FILE* file);
