#pragma once

#include <cstdio>

#include "platform/imaging/Bitmap.h"

class ImageInput;

// Grey JPEGs decode to 8-bit grey, colour ones to Rgb24. A file that ends
// early is an error, not a page padded with grey.
ImagingStatus DecodeJpeg(ImageInput& input, Bitmap& out);
ImagingStatus ReadJpegInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY);
// 1-bit and grey-palette images are written as grey, everything else as colour.
ImagingStatus EncodeJpeg(const Bitmap& bitmap, std::FILE* file, int quality);
