#include "platform/imaging/TiffPageWriter.h"

#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/imaging/ImageFile.h"
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

bool IsPalette(const PageShape& page, PaletteEntry first, PaletteEntry second) {
  const auto& p = page.palette;
  return p.size() >= 2 && p[0] == first && p[1] == second;
}

std::uint16_t PhotometricFor(const PageShape& page) {
  constexpr PaletteEntry black{0, 0, 0, 255}, white{255, 255, 255, 255};
  switch (page.format) {
    case PixelFormat::Indexed1:
      if (IsPalette(page, black, white))
        return PHOTOMETRIC_MINISBLACK;
      return IsPalette(page, white, black) ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_PALETTE;
    case PixelFormat::Indexed8:
      return IsGreyPalette(page.format, page.palette) ? PHOTOMETRIC_MINISBLACK
                                                      : PHOTOMETRIC_PALETTE;
    default:
      return PHOTOMETRIC_RGB;
  }
}

void SetColourMap(TIFF* tif, const PageShape& page) {
  const std::size_t entries = page.format == PixelFormat::Indexed1 ? 2 : 256;
  std::vector<std::uint16_t> red(entries), green(entries), blue(entries);
  for (std::size_t i = 0; i < entries && i < page.palette.size(); ++i) {
    red[i] = static_cast<std::uint16_t>(page.palette[i].red * 257);
    green[i] = static_cast<std::uint16_t>(page.palette[i].green * 257);
    blue[i] = static_cast<std::uint16_t>(page.palette[i].blue * 257);
  }
  TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
}

void SetPageTags(TIFF* tif, const PageShape& page, TiffCompression compression,
                 std::size_t rowsPerStrip) {
  const int bits = BitsPerPixel(page.format);
  const std::uint16_t samples = bits <= 8 ? 1 : static_cast<std::uint16_t>(bits / 8);
  const std::uint16_t photometric = PhotometricFor(page);
  TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(page.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(page.height));
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
    SetColourMap(tif, page);
  if (page.dpiX > 0 && page.dpiY > 0) {
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(page.dpiX));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(page.dpiY));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
}

// A bitmap as a row source. TIFF wants red first; a blue-first page is
// swapped on the way.
class BitmapRows : public PageRowSource {
 public:
  explicit BitmapRows(const Bitmap& bitmap) : bitmap_(bitmap) {
    shape_ = {bitmap.Width(),   bitmap.Height(), bitmap.Format(),
              bitmap.Palette(), bitmap.DpiX(),   bitmap.DpiY()};
    rowBytes_ = (static_cast<std::size_t>(bitmap.Width()) * BitsPerPixel(bitmap.Format()) + 7) / 8;
  }

  const PageShape& Shape() const override { return shape_; }
  ImagingStatus ReadRows(int first, int count, std::uint8_t* rows) override {
    for (int y = first; y < first + count; ++y, rows += rowBytes_)
      CopyRow(y, rows);
    return ImagingStatus::Ok;
  }

 private:
  void CopyRow(int y, std::uint8_t* dst) const {
    const std::uint8_t* src = bitmap_.Row(y);
    if (bitmap_.Format() != PixelFormat::Rgb24 || bitmap_.Channels() == ChannelOrder::Rgb) {
      std::memcpy(dst, src, rowBytes_);
      return;
    }
    for (int x = 0; x < bitmap_.Width(); ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }

  const Bitmap& bitmap_;
  PageShape shape_;
  std::size_t rowBytes_ = 0;
};

}  // namespace

TiffPageWriter::~TiffPageWriter() {
  if (tiff_ != nullptr)
    TIFFClose(tiff_);
}

ImagingStatus TiffPageWriter::Open(const std::string& path, TiffCompression compression) {
  SilenceTiffMessages();
  if (tiff_ != nullptr || path.empty())
    return ImagingStatus::InvalidParameter;
  tiff_ = file_.Open(path);
  compression_ = compression;
  pageCount_ = 0;
  failed_ = false;
  return tiff_ != nullptr ? ImagingStatus::Ok : ImagingStatus::WriteFailed;
}

ImagingStatus TiffPageWriter::AddPage(const Bitmap& page) {
  if (page.IsEmpty())
    return ImagingStatus::InvalidParameter;
  BitmapRows rows(page);
  return AddPage(rows);
}

ImagingStatus TiffPageWriter::AddPage(PageRowSource& page) {
  const PageShape& shape = page.Shape();
  if (tiff_ == nullptr || shape.width <= 0 || shape.height <= 0)
    return ImagingStatus::InvalidParameter;
  const std::size_t rowBytes =
      (static_cast<std::size_t>(shape.width) * BitsPerPixel(shape.format) + 7) / 8;
  const std::size_t rowsPerStrip = std::clamp<std::size_t>(StripBytes(compression_) / rowBytes, 1,
                                                           static_cast<std::size_t>(shape.height));
  SetPageTags(tiff_, shape, compression_, rowsPerStrip);
  // Rows are packed into a strip buffer of our own: the predictor rewrites
  // the data it is given, and the source must stay as it is.
  std::vector<std::uint8_t> strip(rowBytes * rowsPerStrip);
  for (int y = 0, index = 0; y < shape.height; ++index) {
    const int rows = static_cast<int>(
        std::min<std::size_t>(rowsPerStrip, static_cast<std::size_t>(shape.height - y)));
    if (ImagingStatus status = page.ReadRows(y, rows, strip.data()); !IsOk(status)) {
      failed_ = true;
      return status;
    }
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

ImagingStatus TiffPageWriter::AddPageFile(const std::string& path) {
  std::unique_ptr<ImageFile> file;
  if (ImagingStatus status = ImageFile::Open(path, file); !IsOk(status))
    return status;
  std::unique_ptr<PageRowSource> rows;
  if (IsOk(file->OpenRows(rows)))
    return AddPage(*rows);
  Bitmap page;
  if (ImagingStatus status = file->Decode(page); !IsOk(status))
    return status;
  return AddPage(page);
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
  const bool written = file_.Close();
  return flushed && written && !failed_ && pageCount_ > 0 ? ImagingStatus::Ok
                                                          : ImagingStatus::WriteFailed;
}
