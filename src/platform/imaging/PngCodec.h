#pragma once

#include <cstdio>
#include <string>

#include "platform/imaging/Bitmap.h"

class ImageInput;

// 1-bit grey and two-colour palette images decode to Indexed1, other grey and
// palette images to Indexed8, colour to Rgb24 or Rgba32; 16-bit samples are
// reduced to 8. A bad CRC in a critical chunk or a cut file is an error.
ImagingStatus DecodePng(ImageInput& input, Bitmap& out);
ImagingStatus ReadPngInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY);
ImagingStatus EncodePng(const Bitmap& bitmap, std::FILE* file);
