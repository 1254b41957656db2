#include "platform/imaging/DecodeLimit.h"

#include <string>

#include "platform/imaging/ImagingErrorText.h"

ImagingStatus CheckDecodeSize(std::uint64_t bytes) {
  if (bytes <= kMaxDecodeBytes)
    return ImagingStatus::Ok;
  constexpr std::uint64_t kMegabyte = 1000 * 1000;
  RecordImagingError("the image needs " + std::to_string((bytes + kMegabyte - 1) / kMegabyte) +
                     " MB to decode, more than the " + std::to_string(kMaxDecodeBytes / kMegabyte) +
                     " MB a scanned page can need");
  return ImagingStatus::TooLarge;
}
