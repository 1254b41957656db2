#pragma once

#include <string>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImageFormat.h"

enum class TiffCompression { None, Lzw };

struct EncodeOptions {
  int jpegQuality = 75;
  // LZW is written with the horizontal predictor for 8-bit and colour pages.
  TiffCompression tiffCompression = TiffCompression::None;
};

// Writes the bitmap to `path` (created or truncated) in `format`. 1-bit images
// stay 1-bit except in JPEG, which gets 8-bit grey; colour images are reduced
// to 256 colours with dithering for GIF. On failure the caller removes the file.
ImagingStatus EncodeImageFile(const Bitmap& bitmap, ImageFormat format, const std::string& path,
                              const EncodeOptions& options = {});
