#pragma once

#include <cstdio>

#include "platform/imaging/Bitmap.h"

class ImageInput;

// BMP files: a 14-byte file header followed by a device-independent bitmap.
ImagingStatus DecodeBmp(ImageInput& input, Bitmap& out);
// Writes 1- and 8-bit images with their palette, Rgb24 as 24-bit and Rgba32 as 32-bit.
ImagingStatus EncodeBmp(const Bitmap& bitmap, std::FILE* file);
// Reads the size and resolution from the headers only.
ImagingStatus ReadBmpInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY);
