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

// Reads the whole file through libpng, one row at a time, and keeps nothing:
// Ok only when every chunk, checksum and row is sound. For libraries that
// cannot survive a damaged PNG themselves.
ImagingStatus CheckPng(ImageInput& input);
ImagingStatus CheckPngFile(const std::string& path);
