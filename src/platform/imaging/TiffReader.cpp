#include "platform/imaging/TiffReader.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/imaging/DecodeLimit.h"
#include "platform/imaging/ImageInput.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/TiffRowSource.h"

namespace {

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
  if (size <= 0)
    return 0;
  return static_cast<tmsize_t>(
      static_cast<ImageInput*>(handle)->Read(buffer, static_cast<std::size_t>(size)));
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
  return 0;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* input = static_cast<ImageInput*>(handle);
  std::uint64_t target = offset;
  if (whence == SEEK_CUR)
    target = input->Tell() + offset;
  else if (whence == SEEK_END)
    target = input->Size() + offset;
  if (!input->Seek(target))
    return static_cast<toff_t>(-1);
  return target;
}

int CloseProc(thandle_t) {
  return 0;
}
toff_t SizeProc(thandle_t handle) {
  return static_cast<ImageInput*>(handle)->Size();
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

struct Layout {
  std::uint32_t width = 0, height = 0;
  std::uint16_t bitsPerSample = 1, samplesPerPixel = 1, photometric = PHOTOMETRIC_MINISWHITE;
  std::uint16_t planar = PLANARCONFIG_CONTIG;
};

Layout ReadLayout(TIFF* tif) {
  Layout l;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bitsPerSample);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samplesPerPixel);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
    l.photometric = l.samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
  return l;
}

// The format the page is read into row by row, or nothing for the RGBA route.
bool DirectFormat(TIFF* tif, const Layout& l, PixelFormat& format) {
  if (TIFFIsTiled(tif) || l.planar != PLANARCONFIG_CONTIG)
    return false;
  const bool single = l.samplesPerPixel == 1 && (l.photometric == PHOTOMETRIC_MINISWHITE ||
                                                 l.photometric == PHOTOMETRIC_MINISBLACK ||
                                                 l.photometric == PHOTOMETRIC_PALETTE);
  if (single && l.bitsPerSample == 1)
    format = PixelFormat::Indexed1;
  else if (single && l.bitsPerSample == 8)
    format = PixelFormat::Indexed8;
  else if (l.photometric == PHOTOMETRIC_RGB && l.bitsPerSample == 8 && l.samplesPerPixel == 3)
    format = PixelFormat::Rgb24;
  else if (l.photometric == PHOTOMETRIC_RGB && l.bitsPerSample == 8 && l.samplesPerPixel == 4)
    format = PixelFormat::Rgba32;  // read as stored: the RGBA route would premultiply
  else
    return false;
  const std::uint64_t expected =
      (static_cast<std::uint64_t>(l.width) * BitsPerPixel(format) + 7) / 8;
  return static_cast<std::uint64_t>(TIFFScanlineSize64(tif)) == expected;
}

std::vector<PaletteEntry> ColourMap(TIFF* tif, int entries) {
  std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  std::vector<PaletteEntry> palette(256);
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
    return GreyPalette(entries);
  // Some writers store 8-bit values in the 16-bit map.
  const bool eightBit =
      std::all_of(red, red + entries, [](std::uint16_t v) { return v < 256; }) &&
      std::all_of(green, green + entries, [](std::uint16_t v) { return v < 256; }) &&
      std::all_of(blue, blue + entries, [](std::uint16_t v) { return v < 256; });
  const int shift = eightBit ? 0 : 8;
  for (int i = 0; i < entries; ++i)
    palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(red[i] >> shift),
                                            static_cast<std::uint8_t>(green[i] >> shift),
                                            static_cast<std::uint8_t>(blue[i] >> shift), 255};
  palette.resize(static_cast<std::size_t>(std::max(entries, 2)));
  return palette;
}

std::vector<PaletteEntry> PaletteFor(TIFF* tif, const Layout& l, PixelFormat format) {
  const int entries = format == PixelFormat::Indexed1 ? 2 : 256;
  if (l.photometric == PHOTOMETRIC_PALETTE)
    return ColourMap(tif, entries);
  std::vector<PaletteEntry> palette = GreyPalette(entries);
  if (l.photometric == PHOTOMETRIC_MINISWHITE)
    std::reverse(palette.begin(), palette.end());
  return palette;
}

// When the file's rows are exactly as long as the bitmap's, whole strips are
// decoded straight into place instead of row by row through libtiff's buffer.
bool ReadStrips(TIFF* tif, Bitmap& bitmap) {
  std::uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  const auto height = static_cast<std::uint32_t>(bitmap.Height());
  rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, height);
  const tmsize_t rowBytes = TIFFScanlineSize(tif);
  for (std::uint32_t row = 0, strip = 0; row < height; row += rowsPerStrip, ++strip) {
    const std::uint32_t rows = std::min(rowsPerStrip, height - row);
    if (TIFFReadEncodedStrip(tif, strip, bitmap.Row(static_cast<int>(row)),
                             rowBytes * static_cast<tmsize_t>(rows)) != rowBytes * rows)
      return false;
  }
  return true;
}

ImagingStatus ReadRows(TIFF* tif, Bitmap& bitmap) {
  if (static_cast<std::uint64_t>(TIFFScanlineSize64(tif)) == bitmap.Stride() && !bitmap.IsView())
    return ReadStrips(tif, bitmap) ? ImagingStatus::Ok : ImagingStatus::CorruptData;
  for (int y = 0; y < bitmap.Height(); ++y)
    if (TIFFReadScanline(tif, bitmap.Row(y), static_cast<std::uint32_t>(y), 0) < 0)
      return ImagingStatus::CorruptData;
  return ImagingStatus::Ok;
}

ImagingStatus ReadThroughRgba(TIFF* tif, const Layout& l, Bitmap& bitmap) {
  char message[1024] = {};
  if (!TIFFRGBAImageOK(tif, message))
    return ImagingStatus::NotSupported;
  if (ImagingStatus status = Bitmap::Create(static_cast<int>(l.width), static_cast<int>(l.height),
                                            PixelFormat::Rgba32, bitmap);
      !IsOk(status))
    return status;
  // Rgba32 rows are exactly 4 × width bytes and little-endian ABGR words are
  // R, G, B, A in memory, so libtiff can fill the bitmap directly.
  auto* raster = reinterpret_cast<std::uint32_t*>(bitmap.Row(0));
  // Stopping at the first error: otherwise a page with unreadable strips
  // would come back as a whole one with gaps.
  if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster, ORIENTATION_TOPLEFT, 1))
    return ImagingStatus::CorruptData;
  return ImagingStatus::Ok;
}

// libtiff's errors go to the failing thread's record instead of stderr.
void RecordTiffError(const char* module, const char* format, va_list arguments) {
  char message[256] = {};
  std::vsnprintf(message, sizeof message, format, arguments);
  RecordImagingError(module != nullptr && *module != '\0' ? std::string(module) + ": " + message
                                                          : std::string(message));
}

// A page whose strips (or tiles) are missing or hold no bytes has no image:
// libtiff would read an uncompressed one from the start of the file instead.
// Old-style JPEG pages may keep their data elsewhere, where libtiff finds it.
bool HasImageData(TIFF* tif) {
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (compression == COMPRESSION_OJPEG)
    return true;
  const std::uint32_t blocks = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  if (blocks == 0)
    return false;
  for (std::uint32_t block = 0; block < blocks; ++block)
    if (TIFFGetStrileByteCount(tif, block) == 0)
      return false;
  return true;
}

// The selected page's layout, refused when empty, beyond the size limits or
// without image data.
ImagingStatus CheckedLayout(TIFF* tif, Layout& l) {
  if (tif == nullptr)
    return ImagingStatus::InvalidParameter;
  l = ReadLayout(tif);
  if (l.width == 0 || l.height == 0)
    return ImagingStatus::CorruptData;
  if (l.width > Bitmap::kMaxDimension || l.height > Bitmap::kMaxDimension)
    return ImagingStatus::TooLarge;
  if (!HasImageData(tif)) {
    RecordImagingError("the page has no image data");
    return ImagingStatus::CorruptData;
  }
  return ImagingStatus::Ok;
}

// The largest block libtiff decodes at once for this page: a strip or a tile,
// one per sample plane when the planes are stored apart.
std::uint64_t WorkingBytes(TIFF* tif, const Layout& l) {
  const std::uint64_t block = TIFFIsTiled(tif) ? static_cast<std::uint64_t>(TIFFTileSize64(tif))
                                               : static_cast<std::uint64_t>(TIFFStripSize64(tif));
  return l.planar == PLANARCONFIG_SEPARATE ? block * l.samplesPerPixel : block;
}

}  // namespace

void SilenceTiffMessages() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(RecordTiffError);
    TIFFSetWarningHandler(nullptr);
  });
}

TiffReader::~TiffReader() {
  if (tiff_ != nullptr)
    TIFFClose(tiff_);
}

ImagingStatus TiffReader::Open(ImageInput& input) {
  SilenceTiffMessages();
  if (!input.Seek(0))
    return ImagingStatus::ReadFailed;
  tiff_ = TIFFClientOpen("input", "rm", &input, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                         MapProc, UnmapProc);
  if (tiff_ == nullptr)
    return ImagingStatus::CorruptData;
  const tdir_t count = TIFFNumberOfDirectories(tiff_);
  pageCount_ = static_cast<int>(std::min<tdir_t>(count, kMaxPages));
  if (pageCount_ == 0)
    return ImagingStatus::CorruptData;
  // The count stops at a directory that cannot be read. When the last one
  // read still links to another, the file was cut short or is damaged: that
  // page is counted, so that reading it fails and names it.
  if (count <= static_cast<tdir_t>(kMaxPages) && TIFFSetDirectory(tiff_, count - 1) &&
      !TIFFLastDirectory(tiff_)) {
    brokenPage_ = pageCount_;
    ++pageCount_;
  }
  currentPage_ = -1;
  return SelectPage(0);
}

ImagingStatus TiffReader::SelectPage(int index) {
  if (tiff_ == nullptr || index < 0 || index >= pageCount_)
    return ImagingStatus::InvalidParameter;
  if (index == brokenPage_) {
    RecordImagingError("page " + std::to_string(index + 1) +
                       " cannot be read: the file is cut short or damaged");
    return ImagingStatus::CorruptData;
  }
  // The next page is read from where the current one links to it; going to
  // any page by number walks the list of pages from the start.
  const bool read = index == currentPage_ + 1 && currentPage_ >= 0
                        ? TIFFReadDirectory(tiff_) != 0
                        : TIFFSetDirectory(tiff_, static_cast<tdir_t>(index)) != 0;
  currentPage_ = read ? index : -1;
  if (!read)
    RecordImagingError("page " + std::to_string(index + 1) + " cannot be read");
  return read ? ImagingStatus::Ok : ImagingStatus::CorruptData;
}

void TiffReader::PageInfo(int& width, int& height, double& dpiX, double& dpiY) const {
  const Layout l = ReadLayout(tiff_);
  width = static_cast<int>(std::min<std::uint32_t>(l.width, INT32_MAX));
  height = static_cast<int>(std::min<std::uint32_t>(l.height, INT32_MAX));
  float x = 0, y = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tiff_, TIFFTAG_RESOLUTIONUNIT, &unit);
  const double scale = unit == RESUNIT_INCH ? 1.0 : (unit == RESUNIT_CENTIMETER ? 2.54 : 0.0);
  dpiX = TIFFGetField(tiff_, TIFFTAG_XRESOLUTION, &x) && x > 0 ? x * scale : 0.0;
  dpiY = TIFFGetField(tiff_, TIFFTAG_YRESOLUTION, &y) && y > 0 ? y * scale : 0.0;
}

ImagingStatus TiffReader::OpenRows(std::unique_ptr<PageRowSource>& out) {
  Layout l;
  if (ImagingStatus status = CheckedLayout(tiff_, l); !IsOk(status))
    return status;
  PageShape shape;
  if (!DirectFormat(tiff_, l, shape.format))
    return ImagingStatus::NotSupported;
  // Read a band at a time, but the page is no smaller for that: a page no
  // scanner makes is refused here as when it is decoded whole.
  if (ImagingStatus status =
          CheckDecodeSize(static_cast<std::uint64_t>(TIFFScanlineSize64(tiff_)) * l.height +
                          WorkingBytes(tiff_, l));
      !IsOk(status))
    return status;
  if (shape.format == PixelFormat::Indexed1 || shape.format == PixelFormat::Indexed8)
    shape.palette = PaletteFor(tiff_, l, shape.format);
  PageInfo(shape.width, shape.height, shape.dpiX, shape.dpiY);
  out = std::make_unique<TiffRowSource>(tiff_, std::move(shape));
  return ImagingStatus::Ok;
}

ImagingStatus TiffReader::Decode(Bitmap& out) {
  Layout l;
  if (ImagingStatus status = CheckedLayout(tiff_, l); !IsOk(status))
    return status;
  Bitmap bitmap;
  PixelFormat format = PixelFormat::Rgb24;
  ImagingStatus status = ImagingStatus::Ok;
  const bool direct = DirectFormat(tiff_, l, format);
  // Rows read directly are decoded into place (libtiff holds only the stored,
  // compressed strip); the RGBA reader fills 4 bytes a pixel besides the block
  // it decodes.
  const std::uint64_t needed =
      direct ? Bitmap::StrideFor(static_cast<int>(l.width), format) * std::uint64_t{l.height}
             : std::uint64_t{l.width} * l.height * 4 + WorkingBytes(tiff_, l);
  status = CheckDecodeSize(needed);
  if (!IsOk(status))
    return status;
  if (direct) {
    status = Bitmap::Create(static_cast<int>(l.width), static_cast<int>(l.height), format, bitmap);
    if (IsOk(status)) {
      if (format == PixelFormat::Indexed1 || format == PixelFormat::Indexed8)
        bitmap.SetPalette(PaletteFor(tiff_, l, format));
      status = ReadRows(tiff_, bitmap);
    }
  } else {
    status = ReadThroughRgba(tiff_, l, bitmap);
  }
  if (!IsOk(status))
    return status;
  int w = 0, h = 0;
  double dpiX = 0, dpiY = 0;
  PageInfo(w, h, dpiX, dpiY);
  bitmap.SetResolution(dpiX, dpiY);
  out = std::move(bitmap);
  return ImagingStatus::Ok;
}
