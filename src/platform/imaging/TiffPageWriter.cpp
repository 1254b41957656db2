#include "platform/imaging/TiffPageWriter.h"

#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/TiffReader.h"

namespace {

// LZW runs fastest on libtiff's customary 8 KiB strips; uncompressed data is
// written as it stands, where larger strips save system calls.
constexpr std::size_t kLzwStripBytes = 8 * 1024;
constexpr std::size_t kPlainStripBytes = 64 * 1024;

std::size_t StripBytes(TiffCompression compression) {
  return compression == TiffCompression::Lzw ? kLzwStripBytes : kPlainStripBytes;
}

bool IsPalette(const Bitmap& bitmap, PaletteEntry first, PaletteEntry second) {
  const auto& p = bitmap.Palette();
  return p.size() >= 2 && p[0] == first && p[1] == second;
}

std::uint16_t PhotometricFor(const Bitmap& bitmap) {
  constexpr PaletteEntry black{0, 0, 0, 255}, white{255, 255, 255, 255};
  switch (bitmap.Format()) {
    case PixelFormat::Indexed1:
      if (IsPalette(bitmap, black, white))
        return PHOTOMETRIC_MINISBLACK;
      return IsPalette(bitmap, white, black) ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_PALETTE;
    case PixelFormat::Indexed8:
      return bitmap.HasGreyPalette() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    default:
      return PHOTOMETRIC_RGB;
  }
}

void SetColourMap(TIFF* tif, const Bitmap& bitmap) {
  const std::size_t entries = bitmap.Format() == PixelFormat::Indexed1 ? 2 : 256;
  std::vector<std::uint16_t> red(entries), green(entries), blue(entries);
  for (std::size_t i = 0; i < entries && i < bitmap.Palette().size(); ++i) {
    red[i] = static_cast<std::uint16_t>(bitmap.Palette()[i].red * 257);
    green[i] = static_cast<std::uint16_t>(bitmap.Palette()[i].green * 257);
    blue[i] = static_cast<std::uint16_t>(bitmap.Palette()[i].blue * 257);
  }
  TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
}

void SetPageTags(TIFF* tif, const Bitmap& bitmap, TiffCompression compression,
                 std::size_t rowsPerStrip) {
  const int bits = BitsPerPixel(bitmap.Format());
  const std::uint16_t samples = bits <= 8 ? 1 : static_cast<std::uint16_t>(bits / 8);
  const std::uint16_t photometric = PhotometricFor(bitmap);
  TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(bitmap.Width()));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(bitmap.Height()));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(bits == 1 ? 1 : 8));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rowsPerStrip));
  if (samples == 4) {
    const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (compression == TiffCompression::Lzw) {
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    // Differencing neighbours only helps (and is only valid) for whole-byte samples.
    if (bits >= 8 && photometric != PHOTOMETRIC_PALETTE)
      TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  } else {
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  }
  if (photometric == PHOTOMETRIC_PALETTE)
    SetColourMap(tif, bitmap);
  if (bitmap.DpiX() > 0 && bitmap.DpiY() > 0) {
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(bitmap.DpiX()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(bitmap.DpiY()));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
}

// TIFF wants red first; a blue-first page is swapped on the way.
void CopyRow(const Bitmap& page, int y, std::uint8_t* dst, std::size_t rowBytes) {
  const std::uint8_t* src = page.Row(y);
  if (page.Format() != PixelFormat::Rgb24 || page.Channels() == ChannelOrder::Rgb) {
    std::memcpy(dst, src, rowBytes);
    return;
  }
  for (int x = 0; x < page.Width(); ++x, src += 3, dst += 3) {
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
  }
}

}  // namespace

TiffPageWriter::~TiffPageWriter() {
  if (tiff_ != nullptr)
    TIFFClose(tiff_);
}

ImagingStatus TiffPageWriter::Open(const std::string& path, TiffCompression compression) {
  SilenceTiffMessages();
  if (tiff_ != nullptr || path.empty())
    return ImagingStatus::InvalidParameter;
  tiff_ = TIFFOpen(path.c_str(), "w");
  compression_ = compression;
  pageCount_ = 0;
  failed_ = false;
  return tiff_ != nullptr ? ImagingStatus::Ok : ImagingStatus::WriteFailed;
}

ImagingStatus TiffPageWriter::AddPage(const Bitmap& page) {
  if (tiff_ == nullptr || page.IsEmpty())
    return ImagingStatus::InvalidParameter;
  const std::size_t rowBytes =
      (static_cast<std::size_t>(page.Width()) * BitsPerPixel(page.Format()) + 7) / 8;
  const std::size_t rowsPerStrip = std::clamp<std::size_t>(StripBytes(compression_) / rowBytes, 1,
                                                           static_cast<std::size_t>(page.Height()));
  SetPageTags(tiff_, page, compression_, rowsPerStrip);
  // Rows are packed into a strip buffer of our own: the predictor rewrites
  // the data it is given, and the bitmap must stay as it is.
  std::vector<std::uint8_t> strip(rowBytes * rowsPerStrip);
  for (int y = 0, index = 0; y < page.Height(); ++index) {
    const int rows = static_cast<int>(
        std::min<std::size_t>(rowsPerStrip, static_cast<std::size_t>(page.Height() - y)));
    for (int r = 0; r < rows; ++r)
      CopyRow(page, y + r, strip.data() + static_cast<std::size_t>(r) * rowBytes, rowBytes);
    const auto size = static_cast<tmsize_t>(static_cast<std::size_t>(rows) * rowBytes);
    // libtiff names the failing step but not the system's reason, which errno holds.
    errno = 0;
    if (TIFFWriteEncodedStrip(tiff_, static_cast<std::uint32_t>(index), strip.data(), size) < 0) {
      RecordSystemError(errno);
      failed_ = true;
      return ImagingStatus::WriteFailed;
    }
    y += rows;
  }
  errno = 0;
  if (!TIFFWriteDirectory(tiff_)) {
    RecordSystemError(errno);
    failed_ = true;
    return ImagingStatus::WriteFailed;
  }
  ++pageCount_;
  return ImagingStatus::Ok;
}

ImagingStatus TiffPageWriter::Close() {
  if (tiff_ == nullptr)
    return ImagingStatus::InvalidParameter;
  errno = 0;
  const bool flushed = TIFFFlush(tiff_) != 0;
  if (!flushed)
    RecordSystemError(errno);
  TIFFClose(tiff_);
  tiff_ = nullptr;
  return flushed && !failed_ && pageCount_ > 0 ? ImagingStatus::Ok : ImagingStatus::WriteFailed;
}
