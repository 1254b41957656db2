#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/imaging/Bitmap.h"

class ImageInput;

// Grey JPEGs decode to 8-bit grey, colour ones to Rgb24. A file that ends
// early is an error, not a page padded with grey.
ImagingStatus DecodeJpeg(ImageInput& input, Bitmap& out);
ImagingStatus ReadJpegInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY);
// Checks that a JPEG stream is whole without decoding it: its markers from
// start of image through a frame header and a scan to the end-of-image marker,
// each segment within the data. CorruptData (with the reason recorded) for an
// empty, truncated or malformed stream; the scan data itself is not decoded.
// The size and number of colour components (1 grey, 3 colour, 4 CMYK) of
// a JPEG stream, read from its headers.
ImagingStatus ReadJpegLayout(ImageInput& input, int& width, int& height, int& components);
ImagingStatus CheckJpegData(const std::uint8_t* data, std::size_t size);
// 1-bit and grey-palette images are written as grey, everything else as colour.
ImagingStatus EncodeJpeg(const Bitmap& bitmap, std::FILE* file, int quality);
