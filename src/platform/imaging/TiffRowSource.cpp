#include "platform/imaging/TiffRowSource.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>

TiffRowSource::TiffRowSource(tiff* tif, PageShape shape) : tiff_(tif), shape_(std::move(shape)) {
  std::uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  rowsPerStrip_ = static_cast<int>(
      std::clamp<std::uint32_t>(rowsPerStrip, 1, static_cast<std::uint32_t>(shape_.height)));
  rowBytes_ = static_cast<std::size_t>(TIFFScanlineSize64(tif));
}

bool TiffRowSource::ReadStrip(std::uint32_t strip, int rows, std::uint8_t* into) {
  const auto size = static_cast<tmsize_t>(rowBytes_ * static_cast<std::size_t>(rows));
  return TIFFReadEncodedStrip(tiff_, strip, into, size) == size;
}

bool TiffRowSource::Hold() {
  try {
    held_.resize(rowBytes_ * static_cast<std::size_t>(rowsPerStrip_));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

ImagingStatus TiffRowSource::ReadRows(int first, int count, std::uint8_t* rows) {
  if (first < 0 || count < 0 || count > shape_.height - first)
    return ImagingStatus::InvalidParameter;
  while (count > 0) {
    const int strip = first / rowsPerStrip_;
    const int skip = first - strip * rowsPerStrip_;
    const int stripRows = std::min(rowsPerStrip_, shape_.height - strip * rowsPerStrip_);
    const int taken = std::min(count, stripRows - skip);
    if (skip == 0 && taken == stripRows) {
      if (!ReadStrip(static_cast<std::uint32_t>(strip), stripRows, rows))
        return ImagingStatus::CorruptData;
    } else {
      if (heldStrip_ != strip) {
        heldStrip_ = -1;
        if (!Hold())
          return ImagingStatus::OutOfMemory;
        if (!ReadStrip(static_cast<std::uint32_t>(strip), stripRows, held_.data()))
          return ImagingStatus::CorruptData;
        heldStrip_ = strip;
      }
      std::memcpy(rows, held_.data() + rowBytes_ * static_cast<std::size_t>(skip),
                  rowBytes_ * static_cast<std::size_t>(taken));
    }
    first += taken;
    count -= taken;
    rows += rowBytes_ * static_cast<std::size_t>(taken);
  }
  return ImagingStatus::Ok;
}
