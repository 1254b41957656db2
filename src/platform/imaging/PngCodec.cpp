#include "platform/imaging/PngCodec.h"

#include <png.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/imaging/DecodeLimit.h"
#include "platform/imaging/ImageInput.h"
#include "platform/imaging/ImagingErrorText.h"

// libpng reports errors by longjmp to png_jmpbuf. As with JPEG, the state
// that outlives a jump lives on the heap, and the frames jumped over own nothing.

namespace {

struct PngReadState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Bitmap bitmap;
  std::vector<png_bytep> rows;
  std::vector<png_byte> rowBuffer;
  ~PngReadState() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};

void OnPngError(png_structp png, png_const_charp message) {
  RecordImagingError(message != nullptr ? message : "");
  png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromInput(png_structp png, png_bytep data, png_size_t length) {
  auto* input = static_cast<ImageInput*>(png_get_io_ptr(png));
  if (input->Read(data, length) != length)
    png_error(png, "unexpected end of file");
}

double PhysDpi(png_structp png, png_infop info, bool horizontal) {
  png_uint_32 x = 0, y = 0;
  int unit = 0;
  if (!png_get_pHYs(png, info, &x, &y, &unit) || unit != PNG_RESOLUTION_METER)
    return 0;
  return (horizontal ? x : y) * 0.0254;
}

bool CreateReader(PngReadState& s, ImageInput& input) {
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (s.png == nullptr)
    return false;
  s.info = png_create_info_struct(s.png);
  if (s.info == nullptr)
    return false;
  png_set_read_fn(s.png, &input, ReadFromInput);
  png_set_user_limits(s.png, Bitmap::kMaxDimension, Bitmap::kMaxDimension);
  png_set_chunk_malloc_max(s.png, 64u << 20);
  return true;
}

std::vector<PaletteEntry> ReadPalette(png_structp png, png_infop info, std::size_t size) {
  std::vector<PaletteEntry> palette(size);
  png_colorp colours = nullptr;
  int count = 0;
  if (png_get_PLTE(png, info, &colours, &count))
    for (int i = 0; i < count && static_cast<std::size_t>(i) < size; ++i)
      palette[static_cast<std::size_t>(i)] = {colours[i].red, colours[i].green, colours[i].blue,
                                              255};
  return palette;
}

// Chooses the transformations and returns the format the rows will have.
PixelFormat PrepareTransforms(png_structp png, png_infop info) {
  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  png_set_strip_16(png);
  png_set_interlace_handling(png);
  if (depth == 1 && (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_PALETTE))
    return PixelFormat::Indexed1;
  if (colourType == PNG_COLOR_TYPE_GRAY) {
    png_set_expand_gray_1_2_4_to_8(png);
    return PixelFormat::Indexed8;
  }
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_set_packing(png);
    return PixelFormat::Indexed8;
  }
  if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  return (colourType & PNG_COLOR_MASK_ALPHA) ? PixelFormat::Rgba32 : PixelFormat::Rgb24;
}

ImagingStatus ReadImage(PngReadState& s) {
  png_read_info(s.png, s.info);
  const int colourType = png_get_color_type(s.png, s.info);
  const PixelFormat format = PrepareTransforms(s.png, s.info);
  png_read_update_info(s.png, s.info);
  const auto width = static_cast<int>(png_get_image_width(s.png, s.info));
  const auto height = static_cast<int>(png_get_image_height(s.png, s.info));
  if (ImagingStatus status =
          CheckDecodeSize(Bitmap::StrideFor(width, format) * static_cast<std::uint64_t>(height));
      !IsOk(status))
    return status;
  if (ImagingStatus status = Bitmap::Create(width, height, format, s.bitmap); !IsOk(status))
    return status;
  if (colourType == PNG_COLOR_TYPE_PALETTE)
    s.bitmap.SetPalette(ReadPalette(s.png, s.info, format == PixelFormat::Indexed1 ? 2 : 256));
  else if (format != PixelFormat::Rgb24 && format != PixelFormat::Rgba32)
    s.bitmap.SetPalette(GreyPalette(format == PixelFormat::Indexed1 ? 2 : 256));
  s.bitmap.SetResolution(PhysDpi(s.png, s.info, true), PhysDpi(s.png, s.info, false));
  s.rows.resize(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    s.rows[static_cast<std::size_t>(y)] = s.bitmap.Row(y);
  png_read_image(s.png, s.rows.data());
  png_read_end(s.png, nullptr);
  return ImagingStatus::Ok;
}

// Runs body(state) with a reader on `input`; a libpng error anywhere in it
// comes back here as CorruptData.
template <typename Body>
ImagingStatus WithReader(ImageInput& input, Body body) {
  auto state = std::make_unique<PngReadState>();
  PngReadState& s = *state;
  input.Seek(0);
  if (!CreateReader(s, input))
    return ImagingStatus::OutOfMemory;
  if (setjmp(png_jmpbuf(s.png)))
    return ImagingStatus::CorruptData;
  return body(s);
}

}  // namespace

ImagingStatus DecodePng(ImageInput& input, Bitmap& out) {
  return WithReader(input, [&](PngReadState& s) {
    const ImagingStatus status = ReadImage(s);
    if (IsOk(status))
      out = std::move(s.bitmap);
    return status;
  });
}

ImagingStatus ReadPngInfo(ImageInput& input, int& width, int& height, double& dpiX, double& dpiY) {
  return WithReader(input, [&](PngReadState& s) {
    png_read_info(s.png, s.info);
    width = static_cast<int>(png_get_image_width(s.png, s.info));
    height = static_cast<int>(png_get_image_height(s.png, s.info));
    dpiX = PhysDpi(s.png, s.info, true);
    dpiY = PhysDpi(s.png, s.info, false);
    return ImagingStatus::Ok;
  });
}

namespace {

struct PngWriteState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::vector<png_color> palette;
  ~PngWriteState() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }
};

bool IsBlackWhite(const Bitmap& bitmap) {
  const auto& p = bitmap.Palette();
  return p.size() == 2 && p[0] == PaletteEntry{0, 0, 0, 255} &&
         p[1] == PaletteEntry{255, 255, 255, 255};
}

int ColourTypeFor(const Bitmap& bitmap) {
  switch (bitmap.Format()) {
    case PixelFormat::Indexed1:
      return IsBlackWhite(bitmap) ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
    case PixelFormat::Indexed8:
      return bitmap.HasGreyPalette() ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
    case PixelFormat::Rgb24:
      return PNG_COLOR_TYPE_RGB;
    case PixelFormat::Rgba32:
      return PNG_COLOR_TYPE_RGB_ALPHA;
  }
  return PNG_COLOR_TYPE_RGB;
}

void WriteHeader(PngWriteState& s, const Bitmap& bitmap) {
  const int colourType = ColourTypeFor(bitmap);
  const int depth = bitmap.Format() == PixelFormat::Indexed1 ? 1 : 8;
  png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(bitmap.Width()),
               static_cast<png_uint_32>(bitmap.Height()), depth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    const std::size_t entries = std::size_t{1} << depth;
    for (std::size_t i = 0; i < entries; ++i) {
      const PaletteEntry e = i < bitmap.Palette().size() ? bitmap.Palette()[i] : PaletteEntry{};
      s.palette.push_back({e.red, e.green, e.blue});
    }
    png_set_PLTE(s.png, s.info, s.palette.data(), static_cast<int>(s.palette.size()));
  }
  if (bitmap.DpiX() > 0 && bitmap.DpiY() > 0)
    png_set_pHYs(s.png, s.info, static_cast<png_uint_32>(std::lround(bitmap.DpiX() / 0.0254)),
                 static_cast<png_uint_32>(std::lround(bitmap.DpiY() / 0.0254)),
                 PNG_RESOLUTION_METER);
  png_write_info(s.png, s.info);
  if (bitmap.Format() == PixelFormat::Rgb24 && bitmap.Channels() == ChannelOrder::Bgr)
    png_set_bgr(s.png);
}

}  // namespace

ImagingStatus EncodePng(const Bitmap& bitmap, std::FILE* file) {
  if (bitmap.IsEmpty() || file == nullptr)
    return ImagingStatus::InvalidParameter;
  auto state = std::make_unique<PngWriteState>();
  PngWriteState& s = *state;
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (s.png == nullptr || (s.info = png_create_info_struct(s.png)) == nullptr)
    return ImagingStatus::OutOfMemory;
  if (setjmp(png_jmpbuf(s.png)))
    return ImagingStatus::WriteFailed;
  png_init_io(s.png, file);
  WriteHeader(s, bitmap);
  for (int y = 0; y < bitmap.Height(); ++y)
    png_write_row(s.png, bitmap.Row(y));
  png_write_end(s.png, nullptr);
  return std::ferror(file) ? ImagingStatus::WriteFailed : ImagingStatus::Ok;
}
