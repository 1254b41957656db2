#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImagingStatus.h"

// CCITT Group 4 (T.6) data as PDF's CCITTFaxDecode reads it with K -1: one
// stream for the whole image, white runs coded as white (0 bits are white).
// InvalidParameter for anything but a black-and-white Indexed1 bitmap.
ImagingStatus EncodeFaxG4(const Bitmap& bitmap, std::vector<std::uint8_t>& out);

// Where the Group 4 data of a TIFF page lies in its file, for copying it as it
// is: one strip, most significant bit first, no uncompressed mode.
struct StoredFaxG4 {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  int width = 0;
  int height = 0;
  bool zeroIsBlack = false;  // min-is-black: the data's white runs are black pixels
};

// Writes a one-page TIFF at `target` holding the Group 4 data that `fax`
// locates in `source`, copied as it is, with the page's resolution.
ImagingStatus CopyFaxG4Page(const std::string& source, const StoredFaxG4& fax, double dpiX,
                            double dpiY, const std::string& target);
